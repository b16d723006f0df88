# Writes a C++ header that carries PNG files as byte arrays, so the program needs no
# image files at run time.
#   cmake -DOUTPUT=<header> -DINPUTS=<png;png;...> -P EmbedImages.cmake
set(body "// Generated from keywright/res by EmbedImages.cmake; do not edit.\n#pragma once\n\n#include <cstddef>\n\n")
string(APPEND body "struct OrixLogoImage {\n    const unsigned char* data;\n    std::size_t size;\n};\n\n")
set(index 0)
set(table "")
foreach(input IN LISTS INPUTS)
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
  string(APPEND body "static const unsigned char orixLogoImage${index}[${size}] = {\n    ${bytes}\n};\n")
  string(APPEND table "    {orixLogoImage${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "\nstatic const OrixLogoImage orixLogoImages[] = {\n${table}};\n")
file(WRITE "${OUTPUT}" "${body}")
