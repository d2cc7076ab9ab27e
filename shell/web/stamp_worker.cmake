# Writes the service worker for the built page: the list of the page's files
# to keep, and a version that is a digest of them, so every build that
# changes a file changes the worker too.
#   cmake -DDIR=<page folder> -DFILES=<a;b;c> -DTEMPLATE=<sw.js> -P stamp_worker.cmake
set(digests "")
set(quoted "'./'")
foreach(file IN LISTS FILES)
  file(SHA256 "${DIR}/${file}" digest)
  string(APPEND digests "${file} ${digest}\n")
  string(APPEND quoted ", '${file}'")
endforeach()
file(SHA256 "${TEMPLATE}" digest)
string(APPEND digests "sw.js ${digest}\n")
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 16 PAGE_VERSION)
set(PAGE_FILES "${quoted}")
configure_file("${TEMPLATE}" "${DIR}/sw.js" @ONLY)
