# Makes the published runtime script: terser's minified SOURCE, ending with a line end like
# every other text file a publish writes, in OUTPUT. Run by the build:
#   cmake -DTERSER=... -DSOURCE=runtime/torvane.js -DOUTPUT=bin/torvane.js -P minify-runtime.cmake
# terser comes from Debian, whose modules live in /usr/share/nodejs, where a Node.js from
# elsewhere does not look.
set(ENV{NODE_PATH} /usr/share/nodejs)
execute_process(
  COMMAND ${TERSER} ${SOURCE} --compress passes=2 --mangle --ecma 2020
          --format "preamble='/* torvane.js: the slider runtime of pages published by Torvane 1.1 (minified; readable source: torvane.readable.js) */'"
  OUTPUT_VARIABLE minified
  ERROR_VARIABLE problem
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR minified STREQUAL "")
  message(FATAL_ERROR "terser could not minify ${SOURCE}: ${problem}")
endif()
string(STRIP "${minified}" minified)
file(WRITE ${OUTPUT}.part "${minified}\n")
file(RENAME ${OUTPUT}.part ${OUTPUT})
