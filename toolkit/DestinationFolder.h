// Where a link's destination lies on this system.
#pragma once
#include <optional>
#include <string>

namespace velmora::toolkit {

// The existing folder a destination names. A well-known shell folder of the current
// user or of all users (as the destination table writes it) is the system's own folder
// of that kind; any other destination is taken relative to the Programs folder (the
// user's when `privateFlag` is nonzero, else the shared one). `parent` must name the
// Programs folder ("$(Programs)") or be empty. Nothing when the folder does not exist:
// no folder is ever created.
std::optional<std::wstring> DestinationFolder(const std::wstring& destination, long privateFlag,
                                              const std::wstring& parent);

}  // namespace velmora::toolkit
