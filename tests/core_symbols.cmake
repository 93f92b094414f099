# The core's archive asks the link for nothing that makes windows: no GLUT, Xlib, GLX or WGL
# symbol is left undefined in it. Run with -DNM=... -DARCHIVE=...; the GLUT host's archive is the
# control, which must fail.
execute_process(COMMAND ${NM} -u ${ARCHIVE} OUTPUT_VARIABLE undefined COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[ \n](glut|X|glX|wgl)[A-Za-z0-9_]*" found "${undefined}")
if(found)
  message(FATAL_ERROR "${ARCHIVE} needs window-system symbols:${found}")
endif()
