# Version blocks for our own modules: vx_add_version_resource(target ...)
# gives a shared library (or executable) a VS_VERSIONINFO block in the ELF
# section ".vxversioninfo", made at build time, which the module-version
# routines find through dladdr and read with the same parser as a PE file's
# version resource.
#
#   vx_add_version_resource(<target>
#     [FILE_VERSION a.b.c.d]      default: the project's version (4 numbers)
#     [PRODUCT_VERSION text]      default: the project's major.minor.patch
#     [COMPANY text] [DESCRIPTION text] [PRODUCT text] [COPYRIGHT text]
#     [TRADEMARKS text] [INTERNAL_NAME text] [ORIGINAL_FILENAME text]
#     [COMMENT text]
#     [RESOURCES <type> <name> <file> ...])   further sections ".vxres.<type>.<name>"
#
# The fixed product version is the file version. Texts are UTF-8.

enable_language(ASM)

function(vx_add_version_resource target)
  cmake_parse_arguments(ARG ""
    "FILE_VERSION;PRODUCT_VERSION;COMPANY;DESCRIPTION;PRODUCT;COPYRIGHT;TRADEMARKS;INTERNAL_NAME;ORIGINAL_FILENAME;COMMENT"
    "RESOURCES" ${ARGN})
  if(NOT ARG_FILE_VERSION)
    set(ARG_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
  endif()
  if(NOT ARG_FILE_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "vx_add_version_resource(${target}): FILE_VERSION '${ARG_FILE_VERSION}' needs four numbers")
  endif()
  if(NOT DEFINED ARG_PRODUCT_VERSION)
    string(REGEX REPLACE "\\.[0-9]+$" "" ARG_PRODUCT_VERSION "${ARG_FILE_VERSION}")
  endif()
  if(NOT DEFINED ARG_INTERNAL_NAME)
    set(ARG_INTERNAL_NAME "${target}")
  endif()
  if(NOT DEFINED ARG_ORIGINAL_FILENAME)
    set(ARG_ORIGINAL_FILENAME "$<TARGET_FILE_NAME:${target}>")
  endif()

  if(NOT TARGET vxversionblock)
    add_executable(vxversionblock ${PROJECT_SOURCE_DIR}/platform/version/tool/vxVersionBlockTool.cpp)
    target_link_libraries(vxversionblock PRIVATE vxplatform_version)
    vx_strict_warnings(vxversionblock)
  endif()

  set(strings
    "CompanyName=${ARG_COMPANY}"
    "FileDescription=${ARG_DESCRIPTION}"
    "FileVersion=${ARG_FILE_VERSION}"
    "InternalName=${ARG_INTERNAL_NAME}"
    "LegalCopyright=${ARG_COPYRIGHT}"
    "LegalTrademarks=${ARG_TRADEMARKS}"
    "OriginalFilename=${ARG_ORIGINAL_FILENAME}"
    "ProductName=${ARG_PRODUCT}"
    "ProductVersion=${ARG_PRODUCT_VERSION}"
    "Comment=${ARG_COMMENT}")

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.version)
  set(block ${dir}/version.bin)
  add_custom_command(OUTPUT ${block}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND vxversionblock ${block} ${ARG_FILE_VERSION} ${ARG_FILE_VERSION} ${strings}
    DEPENDS vxversionblock
    COMMENT "Version block of ${target}"
    VERBATIM)

  set(asm "\t.section .vxversioninfo,\"a\"\n\t.balign 4\n\t.incbin \"${block}\"\n")
  set(depends ${block})
  if(ARG_RESOURCES)
    list(LENGTH ARG_RESOURCES count)
    math(EXPR rest "${count} % 3")
    if(NOT rest EQUAL 0)
      message(FATAL_ERROR "vx_add_version_resource(${target}): RESOURCES takes triples <type> <name> <file>")
    endif()
    math(EXPR last "${count} - 1")
    foreach(i RANGE 0 ${last} 3)
      math(EXPR n "${i} + 1")
      math(EXPR f "${i} + 2")
      list(GET ARG_RESOURCES ${i} type)
      list(GET ARG_RESOURCES ${n} name)
      list(GET ARG_RESOURCES ${f} file)
      get_filename_component(file "${file}" ABSOLUTE)
      string(APPEND asm "\t.section .vxres.${type}.${name},\"a\"\n\t.incbin \"${file}\"\n")
      list(APPEND depends ${file})
    endforeach()
  endif()
  string(APPEND asm "\t.section .note.GNU-stack,\"\",@progbits\n")
  set(source ${dir}/version.S)
  file(GENERATE OUTPUT ${source} CONTENT "${asm}")
  target_sources(${target} PRIVATE ${source} ${block})
  set_source_files_properties(${source} PROPERTIES OBJECT_DEPENDS "${depends}" GENERATED TRUE)
endfunction()
