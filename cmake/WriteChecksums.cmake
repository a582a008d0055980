# Writes the SHA-256 of each file as sha256sum does: the hash in lower-case hexadecimal,
# two spaces, the file's name, a line feed. Run with
#   cmake -DOUT=<checksums.txt> -DFILES="<a.zip>;<b.exe>" -P WriteChecksums.cmake
set(lines "")
foreach(file IN LISTS FILES)
  file(SHA256 ${file} hash)
  get_filename_component(name ${file} NAME)
  string(APPEND lines "${hash}  ${name}\n")
endforeach()
file(WRITE ${OUT} "${lines}")
