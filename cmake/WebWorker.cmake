# Writes the site's service worker: web/service_worker.js with the build's
# version and the SHA-256 of each file it keeps. The version is a hash of
# those, so any change to any file gives a new worker, and an unchanged build
# the same bytes (browsers then keep the worker they have).
#   cmake -DSITE=DIR -DTEMPLATE=web/service_worker.js -DFILES=index.html,rezarudev.js,... -P cmake/WebWorker.cmake
string(REPLACE "," ";" files "${FILES}")
set(table "")
foreach(name IN LISTS files)
  if(NOT EXISTS "${SITE}/${name}")
    message(FATAL_ERROR "The site has no ${name} for its service worker to keep")
  endif()
  file(SHA256 "${SITE}/${name}" hash)
  string(APPEND table "\n  '${name}': '${hash}',")
endforeach()
string(SHA256 version "${table}")
string(SUBSTRING "${version}" 0 16 version)
file(READ "${TEMPLATE}" worker)
function(stamp blank stamped)
  string(FIND "${worker}" "${blank}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${TEMPLATE} has no `${blank}` to stamp")
  endif()
  string(REPLACE "${blank}" "${stamped}" worker "${worker}")
  set(worker "${worker}" PARENT_SCOPE)
endfunction()
stamp("VERSION = 'unbuilt'" "VERSION = '${version}'")
stamp("FILES = {}" "FILES = {${table}\n}")
file(WRITE "${SITE}/service_worker.js" "${worker}")
