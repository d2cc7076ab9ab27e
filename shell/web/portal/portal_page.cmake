# Writes a portal build's index.html from the plain page's: the portal's SDK
# script, loaded asynchronously in the head, then the portal's adapter and
# the page's side of it before the page's own scripts; its content policy
# lets in scripts and requests from the SDK's origin and nothing more.
#   cmake -DPAGE=<index.html> -DOUT=<its portal copy> -DSDK=<script URL>
#         -DADAPTER=<poki.js> -P portal_page.cmake
file(READ "${PAGE}" page)
string(REGEX MATCH "^https://[^/]+" origin "${SDK}")
if(NOT origin)
  message(FATAL_ERROR "the SDK's address ${SDK} names no https origin")
endif()
# Each edit must find its place, or the page has changed under it.
function(edit from to)
  string(FIND "${page}" "${from}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${PAGE} has no '${from}' for the portal's page")
  endif()
  string(REPLACE "${from}" "${to}" edited "${page}")
  set(page "${edited}" PARENT_SCOPE)
endfunction()
edit("script-src 'self' 'wasm-unsafe-eval';"
  "script-src 'self' 'wasm-unsafe-eval' ${origin}; connect-src 'self' ${origin};")
edit("<link rel=\"stylesheet\" href=\"page.css\">\n"
  "<link rel=\"stylesheet\" href=\"page.css\">\n<script src=\"${SDK}\" id=\"portal-sdk\" async></script>\n")
edit("<script src=\"page.js\"></script>"
  "<script src=\"${ADAPTER}\"></script>\n<script src=\"portal.js\"></script>\n<script src=\"page.js\"></script>")
file(WRITE "${OUT}" "${page}")
