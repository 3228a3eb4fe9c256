# help2man sets an option whose explanation starts on the next line of --help
# as a hanging paragraph followed by an indented one, which man renders with
# an empty line between the option and its explanation. A tagged paragraph
# reads as the other options do.
#
#   cmake -DMAN_PAGE=vantrel.1 -P tidy_man_page.cmake
file(READ ${MAN_PAGE} page)
string(REGEX REPLACE "\n\\.HP\n([^\n]*)\n\\.IP\n" "\n.TP\n\\1\n" page "${page}")
file(WRITE ${MAN_PAGE} "${page}")
