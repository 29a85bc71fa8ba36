# Cross build for macOS from another system, to compile (never link) every
# source of the macOS build against Apple's real SDK declarations:
#   cmake -S . -B build/check-macos-arm64 \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/macos-cross.toolchain.cmake \
#     -DVISTREL_MACOS_SDK=/path/to/MacOSX14.2.sdk -DVISTREL_MACOS_ARCH=arm64
# scripts/check-macos does this for both architectures.
set(CMAKE_SYSTEM_NAME Darwin)
# The compiler checks run in projects of their own: hand them our settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VISTREL_MACOS_SDK VISTREL_MACOS_ARCH)
set(CMAKE_SYSTEM_PROCESSOR ${VISTREL_MACOS_ARCH})

if(NOT VISTREL_MACOS_SDK OR NOT IS_DIRECTORY "${VISTREL_MACOS_SDK}")
  message(FATAL_ERROR "VISTREL_MACOS_SDK must name the unpacked macOS SDK")
endif()
if(NOT VISTREL_MACOS_ARCH MATCHES "^(arm64|x86_64)$")
  message(FATAL_ERROR "VISTREL_MACOS_ARCH must be arm64 or x86_64")
endif()

# Once the system is Darwin a bare compiler name is not found: full paths.
find_program(VISTREL_CLANGXX NAMES clang++-14 clang++ REQUIRED)
find_program(VISTREL_LLVM_AR NAMES llvm-ar-14 llvm-ar REQUIRED)
find_program(VISTREL_LLVM_RANLIB NAMES llvm-ranlib-14 llvm-ranlib REQUIRED)
set(CMAKE_CXX_COMPILER ${VISTREL_CLANGXX})
set(CMAKE_OBJCXX_COMPILER ${VISTREL_CLANGXX})
find_program(VISTREL_INSTALL_NAME_TOOL NAMES llvm-install-name-tool-14 llvm-install-name-tool
             install_name_tool REQUIRED)
set(CMAKE_INSTALL_NAME_TOOL ${VISTREL_INSTALL_NAME_TOOL} CACHE FILEPATH "" FORCE)
set(CMAKE_AR ${VISTREL_LLVM_AR} CACHE FILEPATH "" FORCE)
set(CMAKE_RANLIB ${VISTREL_LLVM_RANLIB} CACHE FILEPATH "" FORCE)

set(VISTREL_TARGET ${VISTREL_MACOS_ARCH}-apple-macos11)
set(CMAKE_CXX_COMPILER_TARGET ${VISTREL_TARGET})
set(CMAKE_OBJCXX_COMPILER_TARGET ${VISTREL_TARGET})
set(CMAKE_OSX_SYSROOT ${VISTREL_MACOS_SDK})
set(CMAKE_OSX_DEPLOYMENT_TARGET 11.0)
set(CMAKE_OSX_ARCHITECTURES ${VISTREL_MACOS_ARCH})
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_OBJCXX_FLAGS_INIT "-stdlib=libc++")

# Nothing can be linked without the system's libraries.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(VISTREL_COMPILE_ONLY ON CACHE BOOL "" FORCE)

# Headers and libraries come from the SDK alone.
set(CMAKE_FIND_ROOT_PATH ${VISTREL_MACOS_SDK})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
