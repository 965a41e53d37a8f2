# Run with cmake -P: writes the text file INPUT as a C++ array of its lines (without line ends)
# named ARRAY, and its length named COUNT, into OUTPUT (which includes HEADER).
#   cmake -DINPUT=doc.xml -DOUTPUT=doc.cpp -DARRAY=kLines -DCOUNT=kLineCount -DHEADER=x.h -P embed_lines.cmake
file(READ "${INPUT}" text)
string(REPLACE "\r" "" text "${text}")
string(REGEX REPLACE "\n$" "" text "${text}")
string(REPLACE "\\" "\\\\" text "${text}")
string(REPLACE "\"" "\\\"" text "${text}")
string(REPLACE "\n" "\",\n    \"" text "${text}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} at build time; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "const char* const ${ARRAY}[] = {\n    \"${text}\",\n};\n\n"
  "const size_t ${COUNT} = sizeof ${ARRAY} / sizeof ${ARRAY}[0];\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
