# The API reference: HTML made by Doxygen from the comments of the public headers, built with
# everything else and installed beside the documents. A public name without a comment, or a
# comment Doxygen cannot read, fails the build.
find_package(Doxygen REQUIRED)

set(DOXYGEN_PROJECT_NAME "ROrodiv")
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_PROJECT_BRIEF "A media layer for 2D desktop games")
set(DOXYGEN_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/reference)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/docs/reference.md)
set(DOXYGEN_EXTRACT_ALL NO)
set(DOXYGEN_WARN_IF_UNDOCUMENTED YES)
set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
set(DOXYGEN_DISTRIBUTE_GROUP_DOC YES)
set(DOXYGEN_SORT_MEMBER_DOCS NO)
set(DOXYGEN_FULL_PATH_NAMES NO)
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_EXPAND_ONLY_PREDEF YES)
set(DOXYGEN_PREDEFINED "ROR_API=" "__attribute__(x)=")
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_HAVE_DOT NO)
set(DOXYGEN_QUIET YES)

doxygen_add_docs(rorodiv_reference ${PROJECT_SOURCE_DIR}/media/include ${PROJECT_SOURCE_DIR}/docs/reference.md ALL
  COMMENT "The API reference (Doxygen)")
