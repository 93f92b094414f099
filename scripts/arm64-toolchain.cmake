# Cross-building for 64-bit Arm Linux (Raspberry Pi OS on a Pi 3, 4 or 5) with Debian's
# crossbuild-essential-arm64, against the arm64 libraries that multiarch installs beside the
# build machine's own (/usr/lib/aarch64-linux-gnu, headers shared in /usr/include).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# find_library and find_package look in the arm64 multiarch folders, never the build machine's.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# FindGLUT and the tools ask pkg-config first: it must answer for arm64 too.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
# Programs built here run under qemu-user on this machine; aarch64 libraries are found from /.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
