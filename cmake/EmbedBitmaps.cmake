# Writes a C++ source that holds the symbol bitmap files as byte arrays, keyed by their
# resource numbers. Run with -DSOURCE_DIR=<dir of the .pbm files> -DOUTPUT=<file.cpp>.
set(BITMAPS
  131 flag1
  132 flag2
  133 flag3
  135 rest4
  136 rest8
  137 rest16
  138 rest32
  139 vibrato)

set(arrays "")
set(cases "")
list(LENGTH BITMAPS count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET BITMAPS ${i} id)
  list(GET BITMAPS ${j} name)
  file(READ "${SOURCE_DIR}/${name}.pbm" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Break the array into lines of 16 bytes so the generated file stays readable.
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "const unsigned char Bitmap${id}[] = {\n    ${bytes}\n};\n\n")
  string(APPEND cases "    case ${id}:\n        return AsView(Bitmap${id}, sizeof Bitmap${id});\n")
endforeach()

set(content "// Generated from resources/bitmaps/*.pbm by cmake/EmbedBitmaps.cmake; do not edit.
#include \"symbols/BitmapData.h\"

namespace
{
${arrays}std::string_view AsView(const unsigned char* data, std::size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}
}  // namespace

std::string_view SymbolBitmapFile(int resourceId)
{
    switch (resourceId) {
${cases}    default:
        return {};
    }
}
")
# Only touch the output when it changes, so an unchanged bitmap rebuilds nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
