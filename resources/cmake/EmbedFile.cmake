# Turns one binary file into a C++ source holding its bytes as an array.
# Run as: cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
get_filename_component(name "${INPUT}" NAME)
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
# Sixteen bytes per line keeps the generated source readable.
string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${name}; do not edit.\n"
  "namespace brindlet::embedded {\n"
  "extern const unsigned char ${SYMBOL}[${size}];\n"
  "alignas(4) const unsigned char ${SYMBOL}[${size}] = {\n${bytes}};\n"
  "}  // namespace brindlet::embedded\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
