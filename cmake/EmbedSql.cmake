# Script mode: writes OUT, a C++ source that holds the league's SQL as text, so that the
# program looks nothing up at run time. The files of SCHEMA/steps and SCHEMA/definitions go in
# the order of their names.
#   cmake -DSCHEMA=DIR -DOUT=FILE -P EmbedSql.cmake
set(delimiter lexfray_sql)

function(texts_of folder variable)
  file(GLOB files ${SCHEMA}/${folder}/*.sql)
  list(SORT files)
  set(texts "")
  foreach(file IN LISTS files)
    file(READ ${file} text)
    string(FIND "${text}" ")${delimiter}\"" clash)
    if(NOT clash EQUAL -1)
      message(FATAL_ERROR "${file} holds the text that ends the embedded string")
    endif()
    string(APPEND texts "    R\"${delimiter}(${text})${delimiter}\",\n")
  endforeach()
  set(${variable} "${texts}" PARENT_SCOPE)
endfunction()

texts_of(steps steps)
texts_of(definitions definitions)
file(WRITE ${OUT}
"// Made at build time by cmake/EmbedSql.cmake from leaguenet/schema/: edit the .sql files.
#include \"schema/league_sql.h\"

namespace lexfray::leaguenet::league_sql {

namespace {
constexpr std::string_view kStepTexts[] = {
${steps}};
constexpr std::string_view kDefinitionTexts[] = {
${definitions}};
}  // namespace

const std::span<const std::string_view> kSteps{kStepTexts};
const std::span<const std::string_view> kDefinitions{kDefinitionTexts};

}  // namespace lexfray::leaguenet::league_sql
")
