# Builds the HTML guide that F1 opens from docs/user-guide.md (the one source), with its
# pictures beside it. Called as
#   cmake -DCMARK=... -DSOURCE=docs/user-guide.md -DPICTURES=docs/guide -DOUTPUT=bin/Q8ShopFloor.html -P GuideHtml.cmake
execute_process(COMMAND ${CMARK} --extension table --to html ${SOURCE}
                OUTPUT_VARIABLE body RESULT_VARIABLE failed ERROR_VARIABLE why)
if(failed)
  message(FATAL_ERROR "The guide could not be converted: ${why}")
endif()
string(REGEX MATCH "<h1>[^<]*</h1>" heading "${body}")
string(REGEX REPLACE "</?h1>" "" title "${heading}")
file(WRITE ${OUTPUT}.part "<!DOCTYPE html>
<html lang=\"zh-CN\">
<head>
<meta charset=\"utf-8\">
<title>${title}</title>
<style>
  body { font-family: \"宋体\", \"SimSun\", \"WenQuanYi Micro Hei\", sans-serif; margin: 2em; max-width: 60em; line-height: 1.6; }
  h1 { font-size: 1.5em; border-bottom: 2px solid #4a6fa5; padding-bottom: .3em; }
  h2 { font-size: 1.2em; color: #2f4f7f; margin-top: 1.6em; }
  table { border-collapse: collapse; margin: .6em 0; }
  th, td { border: 1px solid #b8c4d6; padding: .3em .7em; text-align: left; vertical-align: top; }
  th { background: #eef2f8; }
  img { max-width: 100%; border: 1px solid #b8c4d6; margin: .4em 0; }
  code { background: #f5f5f5; }
</style>
</head>
<body>
${body}</body>
</html>
")
file(RENAME ${OUTPUT}.part ${OUTPUT})
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(GLOB pictures ${PICTURES}/*.png)
file(MAKE_DIRECTORY ${folder}/guide)
file(COPY ${pictures} DESTINATION ${folder}/guide)
