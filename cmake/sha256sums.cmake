# Usage: cmake -DDIR=FOLDER -DFILES="a;b" -P sha256sums.cmake
# Writes FOLDER/SHA256SUMS for the named files in FOLDER, in the format
# `sha256sum -c` reads, so the sums can be checked with any tool.
set(sums "")
foreach(name IN LISTS FILES)
  file(SHA256 "${DIR}/${name}" sum)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE "${DIR}/SHA256SUMS.new" "${sums}")
file(RENAME "${DIR}/SHA256SUMS.new" "${DIR}/SHA256SUMS")
