# Checks of a built Windows program's PE headers, sourced by the test scripts.
#
#   check_pe FILE PE32|PE32+ gui|console
#
# The format and subsystem, the NX and ASLR flags, and imports from Windows
# system DLLs only (the MinGW runtime is linked in); a GUI program also
# imports comctl32, for its progress bar; a console program imports
# FlushFileBuffers, for its journal. Prints what is wrong; fails then.
check_pe() {
  local headers dlls status=0 subsystem
  headers=$(objdump -p "$1") || { echo "  $1: not readable as a PE file"; return 1; }
  grep '^Magic' <<<"$headers" | grep -qF "($2)" || { echo "  $1: not $2"; status=1; }
  case "$3" in
    gui) subsystem='Windows GUI' ;;
    console) subsystem='Windows CUI' ;;
  esac
  grep -q "^Subsystem.*($subsystem)" <<<"$headers" || { echo "  $1: not a $3 program"; status=1; }
  grep -q 'DYNAMIC_BASE' <<<"$headers" || { echo "  $1: no DYNAMIC_BASE"; status=1; }
  grep -q 'NX_COMPAT' <<<"$headers" || { echo "  $1: no NX_COMPAT"; status=1; }
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll | user32.dll | comctl32.dll | comdlg32.dll | msvcrt.dll) ;;
      *) echo "  $1 imports $dll, which is not a Windows system DLL"; status=1 ;;
    esac
  done
  if [ "$3" = gui ]; then
    grep -qx 'comctl32.dll' <<<"$dlls" || { echo "  $1 does not import comctl32.dll"; status=1; }
  else
    # The command-line program syncs its journal with FlushFileBuffers itself.
    grep -qw 'FlushFileBuffers' <<<"$headers" || { echo "  $1 does not import FlushFileBuffers"; status=1; }
  fi
  return $status
}
