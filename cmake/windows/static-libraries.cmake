# Read when project() ends in a Windows build: find_library (and pkg-config's imported targets)
# take static libraries only, never a DLL's import library.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
