# Builds the macOS app, its simulation and its tests on another system,
# with LLVM 19's clang and ld64.lld against the macOS SDK, one architecture
# a build (the presets macos-cross-arm64 and macos-cross-x86_64;
# scripts/build-macos-app joins them into one universal Vistrel.app):
#   cmake -S . -B build/x -DCMAKE_TOOLCHAIN_FILE=cmake/macos-cross.toolchain.cmake \
#     -DVISTREL_MACOS_ARCH=arm64 [-DVISTREL_MACOS_SDK=/path/to/MacOSX14.2.sdk]
# Everything that differs from a build on a Mac is here; the project's own
# CMake code is the same for both.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_VERSION 20.0)  # Darwin 20: macOS 11
# The compiler checks run in projects of their own: hand them our settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VISTREL_MACOS_SDK VISTREL_MACOS_ARCH
     VISTREL_LLVM_BIN VISTREL_MACOS_RUNTIME)

if(NOT VISTREL_MACOS_ARCH MATCHES "^(arm64|x86_64)$")
  message(FATAL_ERROR "VISTREL_MACOS_ARCH must be arm64 or x86_64")
endif()
set(CMAKE_SYSTEM_PROCESSOR ${VISTREL_MACOS_ARCH})
if(NOT VISTREL_MACOS_SDK)
  # The SDK subset beside the project, unpacked once into a cache folder.
  get_filename_component(unpack ${CMAKE_CURRENT_LIST_DIR}/../../shared/macos-sdk/unpack ABSOLUTE)
  if(NOT EXISTS ${unpack})
    message(FATAL_ERROR "No macOS SDK: give -DVISTREL_MACOS_SDK=DIR or lay out ${unpack}")
  endif()
  execute_process(COMMAND ${unpack} OUTPUT_VARIABLE sdk OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${unpack} failed")
  endif()
  set(VISTREL_MACOS_SDK ${sdk} CACHE PATH "The macOS SDK" FORCE)
endif()
if(NOT IS_DIRECTORY "${VISTREL_MACOS_SDK}")
  message(FATAL_ERROR "VISTREL_MACOS_SDK is not a folder: ${VISTREL_MACOS_SDK}")
endif()

# LLVM 19, all of it: the clang 14 driver cannot drive ld64.lld 19, and
# ld64.lld 14 writes Objective-C metadata that Apple's linker would not.
# Once the system is Darwin a bare compiler name is not found: full paths,
# found again at each configure (NO_CACHE), never an older LLVM's cached.
set(VISTREL_LLVM_BIN /usr/lib/llvm-19/bin CACHE PATH "LLVM 19's programs")
function(vistrel_llvm_tool variable name package)
  find_program(found NAMES ${name} PATHS ${VISTREL_LLVM_BIN} NO_DEFAULT_PATH NO_CACHE)
  if(NOT found)
    message(FATAL_ERROR "No ${name} of LLVM 19 in ${VISTREL_LLVM_BIN}: scripts/install-deps "
                        "installs it (Debian's ${package}), or give -DVISTREL_LLVM_BIN=DIR")
  endif()
  set(${variable} ${found} PARENT_SCOPE)
endfunction()
vistrel_llvm_tool(VISTREL_CLANGXX clang++ clang-19)
vistrel_llvm_tool(VISTREL_CLANG clang clang-19)  # GoogleTest's project enables C
vistrel_llvm_tool(VISTREL_LLVM_AR llvm-ar llvm-19)
vistrel_llvm_tool(VISTREL_LLVM_RANLIB llvm-ranlib llvm-19)
vistrel_llvm_tool(VISTREL_LD64_LLD ld64.lld lld-19)
vistrel_llvm_tool(VISTREL_INSTALL_NAME_TOOL llvm-install-name-tool llvm-19)
set(CMAKE_C_COMPILER ${VISTREL_CLANG})
set(CMAKE_CXX_COMPILER ${VISTREL_CLANGXX})
set(CMAKE_OBJCXX_COMPILER ${VISTREL_CLANGXX})
set(CMAKE_INSTALL_NAME_TOOL ${VISTREL_INSTALL_NAME_TOOL} CACHE FILEPATH "" FORCE)
set(CMAKE_AR ${VISTREL_LLVM_AR} CACHE FILEPATH "" FORCE)
set(CMAKE_RANLIB ${VISTREL_LLVM_RANLIB} CACHE FILEPATH "" FORCE)

set(target ${VISTREL_MACOS_ARCH}-apple-macos11)
set(CMAKE_C_COMPILER_TARGET ${target})
set(CMAKE_CXX_COMPILER_TARGET ${target})
set(CMAKE_OBJCXX_COMPILER_TARGET ${target})
set(CMAKE_OSX_SYSROOT ${VISTREL_MACOS_SDK})
set(CMAKE_OSX_DEPLOYMENT_TARGET 11.0)
set(CMAKE_OSX_ARCHITECTURES ${VISTREL_MACOS_ARCH})
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_OBJCXX_FLAGS_INIT "-stdlib=libc++")

# clang's Darwin runtime is Xcode's, not here: its one function that
# @available calls, compiled once per build folder. -fuse-ld=lld tells the
# driver to pass ld64.lld's arguments (-platform_version with the SDK's
# version), --ld-path names the one of LLVM 19. -no_fixup_chains: dyld
# opcodes (LC_DYLD_INFO_ONLY), as Apple's linker writes for macOS 11 and
# ld64.lld 19 by default below macOS 13; scripts/check-macos-app holds the
# program to them. -dead_strip_dylibs keeps ServiceManagement's macOS 13
# stub out of the programs that do not use it.
if(NOT VISTREL_MACOS_RUNTIME)
  set(VISTREL_MACOS_RUNTIME ${CMAKE_BINARY_DIR}/macos-cross-runtime.o)
  execute_process(
    COMMAND ${VISTREL_CLANGXX} -target ${target} -isysroot ${VISTREL_MACOS_SDK} -stdlib=libc++
            -O2 -Wall -Werror
            -c ${CMAKE_CURRENT_LIST_DIR}/macos-cross-runtime.cpp -o ${VISTREL_MACOS_RUNTIME}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cmake/macos-cross-runtime.cpp could not be compiled")
  endif()
endif()
set(service_management ${VISTREL_MACOS_SDK}/System/Library/Frameworks/ServiceManagement.framework)
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-fuse-ld=lld --ld-path=${VISTREL_LD64_LLD} -Wl,-no_fixup_chains -Wl,-dead_strip_dylibs ${VISTREL_MACOS_RUNTIME} ${service_management}/SMAppService-13.tbd")

# GoogleTest from its sources: the system's copy is not built for macOS.
set(VISTREL_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "" FORCE)

# Headers and libraries come from the SDK alone.
set(CMAKE_FIND_ROOT_PATH ${VISTREL_MACOS_SDK})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
