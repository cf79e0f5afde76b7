#!/usr/bin/env bash
# Installs the build into a fresh prefix and uses it as a host program would: through the CMake
# package (the example host configured, built and run offscreen; a Qt-free program through the
# Core component alone), through the pkg-config files (a core-only and a widgets program
# compiled and run, every installed header compiled on its own), and runs the installed
# programs, which must find the installed libraries.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR CXX "CXX_FLAGS"
# CXX_FLAGS are the project's own (a sanitizer build's programs need the same runtime).
set -euo pipefail
build=$1 source=$2 cxx=$3
read -r -a cxxflags <<< "${4:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

# Shared libraries with a version and SONAME, headers of the two layers only.
pcdir=$(dirname "$(find "$prefix" -name kxgr-core.pc)")
libdir=$(cd "$pcdir/.." && pwd)
for lib in kxgr_core kxgr_widgets; do
  soname=$(readelf -d "$libdir/lib$lib.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  [ "$soname" = "lib$lib.so.1" ] || fail "lib$lib.so has SONAME '$soname'"
  [ -f "$libdir/lib$lib.so.1.0.0" ] || fail "lib$lib.so.1.0.0 missing"
done
[ -f "$prefix/include/KXGR/core/KXStyles.h" ] && [ -f "$prefix/include/KXGR/widgets/KXDiagramBox.h" ] ||
  fail "public headers missing"
stray=$(find "$prefix/include" -type f | grep -Ev '/include/KXGR/(core|widgets)/KX[A-Za-z]+\.h$' || true)
[ -z "$stray" ] || fail "not a public header: $stray"
for f in "$libdir/cmake/KXGR/KXGRConfig.cmake" "$libdir/cmake/KXGR/KXGRConfigVersion.cmake" \
         "$prefix/share/applications/glyphsmith.desktop" "$prefix/share/icons/hicolor/scalable/apps/glyphsmith.svg" \
         "$prefix/share/mime/packages/glyphsmith.xml"; do
  [ -f "$f" ] || fail "$f not installed"
done

# The example host through find_package(KXGR).
cmake -S "$source/examples/host" -B "$work/host" -G Ninja \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="${cxxflags[*]}" > "$work/host.log" ||
  { cat "$work/host.log"; fail "example host does not configure"; }
cmake --build "$work/host" > "$work/host-build.log" || { cat "$work/host-build.log"; fail "example host does not build"; }
out=$("$work/host/kxgr_host" "$source/examples/sample.uol" "$work/diagram.kx" "$work/diagram.png")
[ "$out" = "$work/diagram.kx: 3 vertices, 2 edges" ] || fail "example host said: $out"
[ "$(head -c 8 "$work/diagram.kx" | od -An -tx1 | tr -d ' ')" = "06064b58312e3030" ] || fail "no diagram file"
[ -s "$work/diagram.png" ] || fail "no picture"

# pkg-config: a Qt-free program and a widgets program, compiled, linked and run.
export PKG_CONFIG_PATH=$pcdir
compile() {  # compile SOURCE OUTPUT PACKAGE
  # shellcheck disable=SC2046
  "$cxx" -std=c++20 "${cxxflags[@]}" "$1" -o "$2" $(pkg-config --cflags --libs "$3") \
    -Wl,-rpath,"$(pkg-config --variable=libdir "$3")" || fail "$1 does not build with pkg-config $3"
}
cat > "$work/core.cpp" <<'CPP'
#include "KXGR/core/KXStyles.h"
#include <cstdio>
int main(int, char **argv)
{
    TKXUOLibrary library;
    library.LoadFromFile(argv[1]);
    std::printf("%zu styles\n", library.Styles().size());
}
CPP
compile "$work/core.cpp" "$work/core" kxgr-core
pkg-config --libs kxgr-core | grep -qi qt && fail "kxgr-core pulls in Qt"
[ "$("$work/core" "$source/examples/sample.uol")" = "5 styles" ] || fail "core program"

# The same Qt-free program through the CMake package's Core component, which must not look for Qt.
mkdir "$work/coreproject"
cat > "$work/coreproject/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(core CXX)
find_package(KXGR REQUIRED COMPONENTS Core)
if(DEFINED Qt6_DIR OR TARGET KXGR::Widgets)
  message(FATAL_ERROR "the Core component loaded Qt")
endif()
add_executable(core $work/core.cpp)
target_link_libraries(core PRIVATE KXGR::Core)
CMAKE
cmake -S "$work/coreproject" -B "$work/coreproject/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="${cxxflags[*]}" > "$work/core.log" &&
  cmake --build "$work/coreproject/build" >> "$work/core.log" || { cat "$work/core.log"; fail "Core component"; }
[ "$("$work/coreproject/build/core" "$source/examples/sample.uol")" = "5 styles" ] || fail "Core component program"
cat > "$work/widgets.cpp" <<'CPP'
#include "KXGR/widgets/KXDiagramBox.h"
#include <QApplication>
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TKXDiagramBox box;
    box.SaveToTextFile(argv[1]);
}
CPP
compile "$work/widgets.cpp" "$work/widgets" kxgr-widgets
"$work/widgets" "$work/empty.kxt"
[ "$(cat "$work/empty.kxt")" = $'KX1.00\r\n0 0\r' ] || fail "widgets program"

# Every installed header compiles on its own from the installed tree.
for header in $(cd "$prefix/include" && find KXGR -name '*.h' | sort); do
  echo "#include \"$header\"" > "$work/header.cpp"
  # shellcheck disable=SC2046
  "$cxx" -std=c++20 -fsyntax-only "$work/header.cpp" $(pkg-config --cflags kxgr-widgets) ||
    fail "$header does not compile on its own"
done

# The installed programs run with the installed libraries.
"$prefix/bin/glyphsmith" --help | grep -q 'Usage:' || fail "installed glyphsmith does not run"
"$prefix/bin/glyphsmith-cli" validate "$source/examples/sample.uol" | grep -q ': ok' ||
  fail "installed glyphsmith-cli does not run"
for program in glyphsmith glyphsmith-cli; do
  ldd "$prefix/bin/$program" | grep 'libkxgr_widgets' | grep -qF "$prefix/" ||
    fail "installed $program does not use the installed libraries: $(ldd "$prefix/bin/$program" | grep kxgr)"
done
echo "install test passed"
