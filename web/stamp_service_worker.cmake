# cmake -DTEMPLATE=sw.js -DOUTPUT=... -DFILES="a|b|..." -P stamp_service_worker.cmake
# Writes the service worker with the hash of the page's files as its version.
string(REPLACE "|" ";" files "${FILES}")
set(hashes "")
foreach(file IN LISTS files)
  file(SHA256 "${file}" hash)
  string(APPEND hashes "${hash}\n")
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING "${version}" 0 16 version)
file(READ "${TEMPLATE}" text)
string(REPLACE "@PIXELFOLK_WEB_VERSION@" "${version}" text "${text}")
file(WRITE "${OUTPUT}.partial" "${text}")
file(RENAME "${OUTPUT}.partial" "${OUTPUT}")
