# Writes OUTPUT as SOURCE compressed the way Debian wants documentation: best compression, no
# name or time inside, so the same text always gives the same bytes. A manual page's title line
# takes VERSION, so pages never name another version than the programs.
# Usage: cmake -DSOURCE=in -DOUTPUT=out.gz [-DVERSION=x.y.z] -P Gzip.cmake
file(READ "${SOURCE}" text)
if(DEFINED VERSION)
  string(REGEX REPLACE "(\n?\\.TH [^\n]*\"Quen DFM Editor)[^\"]*\"" "\\1 ${VERSION}\"" text "${text}")
endif()
set(plain "${OUTPUT}.plain")
file(WRITE "${plain}" "${text}")
execute_process(COMMAND gzip -9 -n -c "${plain}" OUTPUT_FILE "${OUTPUT}" COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE "${plain}")
