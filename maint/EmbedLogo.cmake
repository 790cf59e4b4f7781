# Writes INPUT's bytes as a C++ array: cmake -DINPUT=logo.jpg -DOUTPUT=LogoData.cpp -P EmbedLogo.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}
     "// Generated from data/logo.jpg by EmbedLogo.cmake.\n"
     "#include \"Logo.h\"\n\n"
     "namespace kv {\n\nnamespace {\n\nconst unsigned char LogoBytes[${size}] = {\n    ${bytes}\n};\n\n}\n\n"
     "std::span<const unsigned char> logoJpeg() { return LogoBytes; }\n\n} // namespace kv\n")
