# Writes OUTPUT: TEMPLATE with its three markers replaced by the style sheet, the compiled core
# and the page's script files (SCRIPTS, separated by commas) joined in order, so that the page is one
# self-contained file.
file(READ ${TEMPLATE} page)
file(READ ${STYLE} style)
file(READ ${CORE} core)
string(REPLACE "," ";" scripts "${SCRIPTS}")
set(script "")
foreach(file IN LISTS scripts)
    file(READ ${file} part)
    string(APPEND script "${part}\n")
endforeach()
string(REPLACE "/*STYLE*/" "${style}" page "${page}")
string(REPLACE "/*CORE*/" "${core}" page "${page}")
string(REPLACE "/*SCRIPT*/" "${script}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
