#include "SetupFolder.h"

#include <algorithm>
#include <cwctype>
#include <set>

namespace velmora::setup {

namespace {

constexpr std::wstring_view kHeader = L"Velmora setup journal 1";

std::wstring NewName(const std::wstring& name) {
  return name + std::wstring(kNewSuffix);
}
std::wstring OldName(const std::wstring& name) {
  return name + std::wstring(kOldSuffix);
}

// File names compare as Windows compares them (letter case ignored).
std::wstring Folded(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towupper(c));
  return folded;
}

const Journal::Added* FindAdded(const Journal& journal, const std::wstring& name) {
  for (const Journal::Added& added : journal.added)
    if (Folded(added.name) == Folded(name)) return &added;
  return nullptr;
}

bool IsReplaced(const Journal& journal, const std::wstring& name) {
  return std::any_of(journal.replaced.begin(), journal.replaced.end(),
                     [&](const std::wstring& r) { return Folded(r) == Folded(name); });
}

enum class Found { kAbsent, kPresent, kUnreadable };
struct Loaded {
  Found found = Found::kAbsent;
  Journal journal;
};

Loaded Load(FolderFiles& files) {
  std::optional<std::optional<std::wstring>> text = files.ReadJournal();
  if (!text) return {Found::kUnreadable, {}};
  if (!*text) return {Found::kAbsent, {}};
  std::optional<Journal> journal = ParseJournal(**text);
  if (!journal) return {Found::kUnreadable, {}};
  return {Found::kPresent, *journal};
}

bool Save(FolderFiles& files, const Journal& journal) {
  return files.WriteJournal(JournalText(journal));
}

// The folders a run made, latest first, each only when empty. A folder that someone
// else has put something into stays.
void RemoveMade(FolderFiles& files, const Journal& journal) {
  for (auto it = journal.made.rbegin(); it != journal.made.rend(); ++it) files.RemoveFolder(it->name, it->levels);
}

Outcome EndJournal(FolderFiles& files, const Journal& journal, bool removeMade) {
  if (!files.DeleteJournal()) return Outcome::kStuck;
  if (removeMade) RemoveMade(files, journal);
  return Outcome::kDone;
}

// Staging: the NAME.new files go, then the journal and the folders made.
Outcome DropStaged(FolderFiles& files, const Journal& journal) {
  bool done = true;
  for (const Journal::Added& added : journal.added) done = files.Delete(NewName(added.name)) && done;
  return done ? EndJournal(files, journal, true) : Outcome::kStuck;
}

// Swapping: every old file set aside comes back, every new file goes. A file in the
// way of an old one is deleted only when it is the new file this run put there.
Outcome PutBack(FolderFiles& files, const Journal& journal) {
  bool done = true;
  for (const std::wstring& name : journal.replaced) {
    if (!files.Exists(OldName(name))) continue;  // never set aside
    if (files.Exists(name)) {
      const Journal::Added* added = FindAdded(journal, name);
      std::optional<Fingerprint> now = files.FingerprintOf(name);
      if (!added || !now || !(*now == added->fingerprint) || !files.Delete(name)) {
        done = false;
        continue;
      }
    }
    done = files.Rename(OldName(name), name) && done;
  }
  for (const Journal::Added& added : journal.added) {
    if (IsReplaced(journal, added.name) || !files.Exists(added.name)) continue;
    std::optional<Fingerprint> now = files.FingerprintOf(added.name);
    if (now && *now == added.fingerprint) done = files.Delete(added.name) && done;
  }
  for (const Journal::Added& added : journal.added) done = files.Delete(NewName(added.name)) && done;
  return done ? EndJournal(files, journal, true) : Outcome::kStuck;
}

// Committed: the old files go, then the journal.
Outcome Finish(FolderFiles& files, const Journal& journal) {
  bool done = true;
  for (const std::wstring& name : journal.replaced) done = files.Delete(OldName(name)) && done;
  return done ? EndJournal(files, journal, false) : Outcome::kStuck;
}

Outcome Resolve(FolderFiles& files, const Journal& journal) {
  switch (journal.phase) {
    case Phase::kStaging:
      return DropStaged(files, journal);
    case Phase::kSwapping:
      return PutBack(files, journal);
    case Phase::kCommitted:
      return Finish(files, journal);
  }
  return Outcome::kStuck;
}

Outcome Undone(FolderFiles& files, const Journal& journal) {
  return Resolve(files, journal) == Outcome::kDone ? Outcome::kUndone : Outcome::kStuck;
}

// The folders inside the program folder that `names` lie in, outermost first.
std::vector<std::wstring> FoldersOf(const std::vector<std::wstring>& names) {
  std::vector<std::wstring> folders;
  for (const std::wstring& name : names) {
    for (size_t at = name.find(L'\\'); at != std::wstring::npos; at = name.find(L'\\', at + 1)) {
      std::wstring folder = name.substr(0, at);
      if (std::none_of(folders.begin(), folders.end(),
                       [&](const std::wstring& f) { return Folded(f) == Folded(folder); }))
        folders.push_back(folder);
    }
  }
  return folders;
}

const wchar_t* PhaseWord(Phase phase) {
  switch (phase) {
    case Phase::kStaging:
      return L"staging";
    case Phase::kSwapping:
      return L"swapping";
    case Phase::kCommitted:
      return L"committed";
  }
  return L"";
}

std::optional<uint64_t> Number(std::wstring_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    uint64_t next = value * 10 + static_cast<uint64_t>(c - L'0');
    if (next / 10 != value) return std::nullopt;
    value = next;
  }
  return value;
}

// Splits "a b rest of line" into `count` words and the rest.
std::optional<std::vector<std::wstring_view>> Fields(std::wstring_view line, size_t count) {
  std::vector<std::wstring_view> fields;
  for (size_t i = 0; i < count; ++i) {
    size_t space = line.find(L' ');
    if (space == std::wstring_view::npos) return std::nullopt;
    fields.push_back(line.substr(0, space));
    line.remove_prefix(space + 1);
  }
  fields.push_back(line);
  return fields;
}

}  // namespace

uint64_t FingerprintHash(uint64_t hash, std::string_view bytes) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::wstring JournalText(const Journal& journal) {
  std::wstring text = std::wstring(kHeader) + L"\r\nphase " + PhaseWord(journal.phase) + L"\r\n";
  for (const Journal::Made& made : journal.made)
    text += L"made " + std::to_wstring(made.levels) + L" " + made.name + L"\r\n";
  for (const Journal::Added& added : journal.added)
    text += L"added " + std::to_wstring(added.fingerprint.size) + L" " + std::to_wstring(added.fingerprint.hash) +
            L" " + added.name + L"\r\n";
  for (const std::wstring& name : journal.replaced) text += L"replaced " + name + L"\r\n";
  return text + L"end\r\n";
}

std::optional<Journal> ParseJournal(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  while (!text.empty()) {
    size_t end = text.find(L"\r\n");
    if (end == std::wstring_view::npos) return std::nullopt;  // cut short
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  if (lines.size() < 3 || lines.front() != kHeader || lines.back() != L"end") return std::nullopt;
  Journal journal;
  if (lines[1] == L"phase staging") {
    journal.phase = Phase::kStaging;
  } else if (lines[1] == L"phase swapping") {
    journal.phase = Phase::kSwapping;
  } else if (lines[1] == L"phase committed") {
    journal.phase = Phase::kCommitted;
  } else {
    return std::nullopt;
  }
  for (size_t i = 2; i + 1 < lines.size(); ++i) {
    std::optional<std::vector<std::wstring_view>> f = Fields(lines[i], 1);
    if (!f) return std::nullopt;
    std::wstring_view word = (*f)[0];
    if (word == L"made") {
      f = Fields(lines[i], 2);
      std::optional<uint64_t> levels = f ? Number((*f)[1]) : std::nullopt;
      if (!levels || *levels < 1 || *levels > 1000) return std::nullopt;
      journal.made.push_back({std::wstring((*f)[2]), static_cast<int>(*levels)});
    } else if (word == L"added") {
      f = Fields(lines[i], 3);
      std::optional<uint64_t> size = f ? Number((*f)[1]) : std::nullopt;
      std::optional<uint64_t> hash = f ? Number((*f)[2]) : std::nullopt;
      if (!size || !hash || (*f)[3].empty()) return std::nullopt;
      journal.added.push_back({std::wstring((*f)[3]), {*size, *hash}});
    } else if (word == L"replaced" && !(*f)[1].empty()) {
      journal.replaced.emplace_back((*f)[1]);
    } else {
      return std::nullopt;
    }
  }
  return journal;
}

Outcome Recover(FolderFiles& files) {
  Loaded loaded = Load(files);
  if (loaded.found == Found::kAbsent) return Outcome::kDone;
  if (loaded.found == Found::kUnreadable) return Outcome::kStuck;
  return Resolve(files, loaded.journal);
}

Outcome BeginStaging(FolderFiles& files, const std::vector<std::wstring>& names) {
  if (Load(files).found != Found::kAbsent) return Outcome::kUndone;
  for (const std::wstring& name : names)
    if (files.Exists(NewName(name)) || files.Exists(OldName(name))) return Outcome::kUndone;
  Journal journal;
  std::optional<int> levels = files.MakeFolder(L"");
  if (!levels) return Outcome::kUndone;
  if (*levels > 0) journal.made.push_back({L"", *levels});
  for (const std::wstring& folder : FoldersOf(names)) {
    std::optional<int> made = files.MakeFolder(folder);
    if (!made) {
      RemoveMade(files, journal);
      return Outcome::kUndone;
    }
    if (*made > 0) journal.made.push_back({folder, 1});
  }
  for (const std::wstring& name : names) journal.added.push_back({name, {}});
  if (!Save(files, journal)) {
    RemoveMade(files, journal);
    return Outcome::kUndone;
  }
  return Outcome::kDone;
}

SwapResult Swap(FolderFiles& files) {
  Loaded loaded = Load(files);
  if (loaded.found != Found::kPresent || loaded.journal.phase != Phase::kStaging) return {Outcome::kStuck};
  Journal journal = loaded.journal;
  for (Journal::Added& added : journal.added) {
    std::optional<Fingerprint> staged = files.FingerprintOf(NewName(added.name));
    if (!staged) return {Undone(files, loaded.journal)};
    added.fingerprint = *staged;
    if (files.Exists(added.name)) journal.replaced.push_back(added.name);
  }
  journal.phase = Phase::kSwapping;
  if (!Save(files, journal)) return {Undone(files, loaded.journal)};

  bool swapped = true;
  for (const std::wstring& name : journal.replaced) swapped = swapped && files.Rename(name, OldName(name));
  for (const Journal::Added& added : journal.added) swapped = swapped && files.Rename(NewName(added.name), added.name);
  for (const Journal::Added& added : journal.added) {
    if (!swapped) break;
    std::optional<Fingerprint> placed = files.FingerprintOf(added.name);
    swapped = placed && *placed == added.fingerprint && !files.Exists(NewName(added.name));
  }
  journal.phase = Phase::kCommitted;
  if (!swapped || !Save(files, journal)) {
    journal.phase = Phase::kSwapping;
    return {Undone(files, journal)};
  }
  return {Outcome::kDone, Finish(files, journal) != Outcome::kDone};
}

Outcome SetAside(FolderFiles& files, const std::vector<std::wstring>& names) {
  if (Load(files).found != Found::kAbsent) return Outcome::kUndone;
  Journal journal;
  journal.phase = Phase::kSwapping;
  for (const std::wstring& name : names)
    if (files.Exists(name)) journal.replaced.push_back(name);
  if (!Save(files, journal)) return Outcome::kUndone;
  for (const std::wstring& name : journal.replaced)
    if (!files.Rename(name, OldName(name))) return Undone(files, journal);
  return Outcome::kDone;
}

Outcome Commit(FolderFiles& files) {
  Loaded loaded = Load(files);
  if (loaded.found != Found::kPresent || loaded.journal.phase != Phase::kSwapping) return Outcome::kStuck;
  Journal journal = loaded.journal;
  journal.phase = Phase::kCommitted;
  if (!Save(files, journal)) return Undone(files, loaded.journal);
  return Finish(files, journal);
}

Outcome Undo(FolderFiles& files) {
  Loaded loaded = Load(files);
  if (loaded.found != Found::kPresent || loaded.journal.phase != Phase::kSwapping) return Outcome::kStuck;
  return Undone(files, loaded.journal);
}

FolderKind ClassifyFolder(const std::vector<std::wstring>& entries, const std::vector<std::wstring>& names,
                          const std::function<bool(const std::wstring&)>& isCheckLog) {
  if (entries.empty()) return FolderKind::kEmpty;
  auto has = [&](std::wstring_view name) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::wstring& e) { return Folded(e) == Folded(name); });
  };
  if (has(kJournalName) || (has(kProgramName) && has(kUninstallerName))) return FolderKind::kVelmora;
  // Otherwise only what an uninstall leaves: the settings, the logs, empty folders of
  // Velmora's. A file of one of the program's names may be anyone's.
  std::set<std::wstring> ours = {Folded(kSettingsName), Folded(NewName(std::wstring(kJournalName)))};
  for (const std::wstring& folder : FoldersOf(names)) ours.insert(Folded(folder));
  for (const std::wstring& entry : entries) {
    if (ours.count(Folded(entry))) continue;
    if (entry.find(L'\\') == std::wstring::npos && isCheckLog(entry)) continue;
    return FolderKind::kOther;
  }
  return FolderKind::kVelmora;
}

}  // namespace velmora::setup
