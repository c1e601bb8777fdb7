# The workbook library: its CMake package where a package manager provides one (Conan), else
# its pkg-config file, which is what the library's own build installs (Debian, vcpkg, MSYS2).
# Sets XLSXWRITER_TARGET to the target to link.
find_package(libxlsxwriter CONFIG QUIET)
if(TARGET libxlsxwriter::libxlsxwriter)
    set(XLSXWRITER_TARGET libxlsxwriter::libxlsxwriter)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(XLSX REQUIRED IMPORTED_TARGET xlsxwriter)
    set(XLSXWRITER_TARGET PkgConfig::XLSX)
endif()
