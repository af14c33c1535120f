# Makes the clerk's manual from the README's sections for the clerk, so that the two never drift:
#   cmake -DREADME=README.md -DCMARK=/usr/bin/cmark -DOUT=manual.html -P manual.cmake
file(READ "${README}" readme)
set(first "## Using the host shell\n")
set(after "### A store for a team\n")
string(FIND "${readme}" "${first}" begin)
string(FIND "${readme}" "${after}" end)
if(begin LESS 0 OR end LESS begin)
  message(FATAL_ERROR "${README}: the clerk's sections (\"${first}\" up to \"${after}\") are not there")
endif()
string(LENGTH "${first}" skip)
math(EXPR begin "${begin} + ${skip}")
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${readme}" ${begin} ${length} body)
# The pictures live in the source tree, not beside the program.
string(REGEX REPLACE "(^|\n)!\\[[^\n]*" "\\1" body "${body}")
get_filename_component(dir "${OUT}" DIRECTORY)
set(part "${dir}/manual.md")
file(WRITE "${part}" "${body}")
execute_process(COMMAND "${CMARK}" --to html "${part}" OUTPUT_VARIABLE html RESULT_VARIABLE failed)
file(REMOVE "${part}")
if(failed)
  message(FATAL_ERROR "cmark could not convert the manual: ${failed}")
endif()
file(WRITE "${OUT}" "<!DOCTYPE html>
<html lang=\"zh-CN\">
<head>
<meta charset=\"utf-8\">
<title>收入级别维护 使用说明</title>
<style>
body { font-family: sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.5; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #999; padding: 0.2em 0.6em; text-align: left; vertical-align: top; }
th { background: #e4e4e4; }
code, pre { background: #f2f2f2; }
pre { padding: 0.6em; }
</style>
</head>
<body>
<h1>收入级别维护 使用说明</h1>
${html}</body>
</html>
")
