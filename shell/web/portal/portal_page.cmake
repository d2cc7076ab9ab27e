# Writes a portal build's index.html from the plain page's, and its adapter:
# the adapter and the page's side of a portal first in the head, then the
# portal's SDK script, loaded asynchronously; no app manifest (the install
# prompt is not the game's to offer on a portal's site); and the portal
# builds' content policy in place of the plain page's strict one, since the
# portals' SDKs load their ads' scripts, frames and images from origins that
# no portal lists, in frames that take the page's policy.
#   cmake -DPAGE=<index.html> -DOUT=<its portal copy> -DSDK=<script URL>
#         -DADAPTER=<poki.js> -DADAPTER_OUT=<its copy> [-DGAME_ID=<id>] -P portal_page.cmake
# @VAR@ in a quoted argument is text, not a variable.
cmake_policy(SET CMP0053 NEW)
file(READ "${PAGE}" page)
if(NOT SDK MATCHES "^https://[^/]+/")
  message(FATAL_ERROR "the SDK's address ${SDK} names no https origin")
endif()
# Each edit must find its place, or the page has changed under it.
function(edit pattern to)
  string(REGEX MATCH "${pattern}" found "${page}")
  if(NOT found)
    message(FATAL_ERROR "${PAGE} has no '${pattern}' for the portal's page")
  endif()
  string(REGEX REPLACE "${pattern}" "${to}" edited "${page}")
  set(page "${edited}" PARENT_SCOPE)
endfunction()
edit("<meta http-equiv=\"Content-Security-Policy\" content=\"[^\"]*\">"
  "<meta http-equiv=\"Content-Security-Policy\" content=\"object-src 'none'; base-uri 'none'\">")
edit("<link rel=\"manifest\" href=\"manifest.webmanifest\">\n" "")
get_filename_component(adapter "${ADAPTER}" NAME)
edit("<link rel=\"stylesheet\" href=\"page.css\">\n"
  "<link rel=\"stylesheet\" href=\"page.css\">\n<script src=\"${adapter}\"></script>\n<script src=\"portal.js\"></script>\n<script src=\"${SDK}\" id=\"portal-sdk\" async></script>\n")
file(WRITE "${OUT}" "${page}")

# The adapter, with the game's id where it takes one.
file(READ "${ADAPTER}" code)
if(code MATCHES "@GAME_ID@")
  if(NOT GAME_ID MATCHES "^[0-9a-f]+$")
    message(FATAL_ERROR "${adapter} needs the game's id, in hex digits, not '${GAME_ID}'")
  endif()
  string(REPLACE "@GAME_ID@" "${GAME_ID}" code "${code}")
endif()
file(WRITE "${ADAPTER_OUT}" "${code}")
