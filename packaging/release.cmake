# The facts of the release, each written once in debian/: the version and the
# date of the newest entry of debian/changelog, and the description in
# debian/control. Read before project(), which takes the version:
#   UPSHOT_VERSION       MAJOR.MINOR.PATCH, for project(), the package and --version
#   UPSHOT_RELEASE_DATE  YYYY-MM-DD, for the manual pages and the AppStream release
#   UPSHOT_SUMMARY       the synopsis, capitalised, for the AppStream summary
#   UPSHOT_DESCRIPTION   the long description as AppStream <p> elements

# Matches REGEX on debian/FILE, setting match1 to match3 to its groups, or
# stops saying what is MISSING.
function(match_debian file regex missing)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../debian/${file})
  file(READ ${CMAKE_CURRENT_LIST_DIR}/../debian/${file} text)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "debian/${file}: ${missing}")
  endif()
  foreach(n 1 2 3)
    set(match${n} "${CMAKE_MATCH_${n}}" PARENT_SCOPE)
  endforeach()
endfunction()

match_debian(changelog "^upshot \\(([0-9]+\\.[0-9]+\\.[0-9]+)\\) " "does not start with 'upshot (MAJOR.MINOR.PATCH) '")
set(UPSHOT_VERSION ${match1})
# The entry's trailer: " -- NAME <ADDRESS>  Mon, 07 Dec 2026 05:00:00 +0000".
match_debian(changelog "\n -- [^\n]*  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) "
             "the newest entry has no ' -- NAME <ADDRESS>  DATE' line")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${match2} month)
if(month LESS 0)
  message(FATAL_ERROR "debian/changelog: no month '${match2}' in the newest entry's date")
endif()
math(EXPR month "${month} + 1")
string(REGEX REPLACE "^([0-9])$" "0\\1" month ${month})
string(REGEX REPLACE "^([0-9])$" "0\\1" day ${match1})
set(UPSHOT_RELEASE_DATE ${match3}-${month}-${day})

match_debian(control "\nDescription: ([^\n]*)\n(( [^\n]*\n)*)" "no Description")
set(long "${match2}")
string(SUBSTRING "${match1}" 0 1 first)
string(SUBSTRING "${match1}" 1 -1 rest)
string(TOUPPER ${first} first)
set(UPSHOT_SUMMARY "${first}${rest}")
# Each line indented in the XML, and " ." (between paragraphs) closing one <p> and opening the next.
string(REPLACE "&" "&amp;" long "${long}")
string(REPLACE "<" "&lt;" long "${long}")
string(REPLACE ">" "&gt;" long "${long}")
string(REGEX REPLACE "(^|\n) ([^\n]*)" "\\1      \\2" long "${long}")
string(REPLACE "\n      .\n" "\n    </p>\n    <p>\n" long "${long}")
set(UPSHOT_DESCRIPTION "    <p>\n${long}    </p>")
