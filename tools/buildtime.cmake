# Writes the source file that holds the time of the build, for the line
# "Kompiliert:" of the information window. Run at every build: cmake -DOUT=<file> -P buildtime.cmake
string(TIMESTAMP now "%Y-%m-%d %H:%M:%S")
file(WRITE "${OUT}.new"
     "// Written at every build by tools/buildtime.cmake.\n"
     "extern const char quonabixBuildTime[];\n"
     "const char quonabixBuildTime[] = \"${now}\";\n")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
