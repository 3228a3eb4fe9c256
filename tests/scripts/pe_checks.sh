# Checks of a built Windows program's PE headers, sourced by the test scripts.
#
#   check_pe FILE PE32|PE32+ gui|console
#
# The format and subsystem, the NX and ASLR flags, a manifest that takes
# paths longer than MAX_PATH, the oldest Windows it states (the OS and
# subsystem versions 6.0: Windows Vista, which, like any Windows, refuses a
# program that asks for a later one), and imports from Windows system DLLs
# only (the MinGW runtime is linked in), each a function that Windows Vista
# has; a GUI program also imports comctl32, for its progress bar; a console
# program imports FlushFileBuffers, for its journal. Prints what is wrong;
# fails then.

# Every function the programs may import, by DLL: what they import today,
# each checked against its "Minimum supported client" in Microsoft's Win32
# API reference (Windows 2000 or XP for all but GetTickCount64, which is
# Vista's and comes with the static C++ runtime) and, for msvcrt.dll, the
# exports of Windows Vista's msvcrt.dll. The last line of each DLL holds what
# only the 64-bit build's runtime imports, from the x64 DLLs of the same
# Windows. A new import goes here once it is checked the same way; else the
# oldest Windows stated must move.
allowed_imports="
comctl32.dll: InitCommonControlsEx
comdlg32.dll: GetOpenFileNameA
user32.dll: DialogBoxParamA EndDialog MessageBoxA SendDlgItemMessageA SendMessageA SetWindowTextA
kernel32.dll: AddVectoredExceptionHandler CloseHandle CreateEventA CreateFileA CreateFileW
  CreateSemaphoreA CreateThread DeleteCriticalSection DeleteFileA DeleteFileW DuplicateHandle
  EnterCriticalSection FindClose FindFirstFileExA FindFirstFileExW FindNextFileA FindNextFileW
  FlushFileBuffers FormatMessageA FreeLibrary GetACP GetConsoleMode GetCurrentProcess
  GetCurrentProcessId GetCurrentThread GetCurrentThreadId GetFileAttributesA GetFileAttributesW
  GetFileSizeEx GetFileType LockFileEx
  GetHandleInformation GetLastError GetModuleFileNameA GetModuleFileNameW GetModuleHandleA
  GetModuleHandleW GetProcAddress GetProcessAffinityMask GetStartupInfoA GetStdHandle
  GetSystemTimeAsFileTime GetThreadContext GetThreadPriority GetTickCount64
  InitializeCriticalSection IsDBCSLeadByteEx IsDebuggerPresent LeaveCriticalSection LoadLibraryA
  LoadLibraryW LocalFree MoveFileExA MoveFileExW MultiByteToWideChar OpenProcess
  OutputDebugStringA RaiseException ReadFile ReleaseSemaphore RemoveVectoredExceptionHandler
  ResetEvent ResumeThread SetConsoleMode SetEvent SetLastError SetProcessAffinityMask
  SetThreadContext SetThreadPriority SetUnhandledExceptionFilter Sleep SuspendThread TlsAlloc
  TlsGetValue TlsSetValue TryEnterCriticalSection VirtualProtect VirtualQuery
  WaitForMultipleObjects WaitForSingleObject WideCharToMultiByte WriteConsoleW WriteFile
  RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind __C_specific_handler
msvcrt.dll: __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode
  __set_app_type __setusermatherr _amsg_exit _beginthreadex _cexit _close _commit _endthreadex
  _errno _fdopen _filelengthi64 _fileno _fsopen _fstat64 _initterm _iob _lseeki64 _onexit _read
  _setjmp3 _setmode _strdup _ultoa _wfopen _write abort atoi calloc exit fclose ferror fflush
  fgetpos fopen fprintf fputc fputs fread free fseek fsetpos ftell fwrite getc getwc iswctype
  localeconv longjmp malloc memchr memcmp memcpy memmove memset printf putc putwc realloc rewind
  setlocale setvbuf signal strchr strcmp strcoll strerror strftime strlen strncmp strxfrm
  towlower towupper ungetc ungetwc vfprintf wcscoll wcsftime wcslen wcsxfrm fwprintf fputwc
  tolower __doserrno _stat64 _stati64 getenv
  ___lc_codepage_func ___mb_cur_max_func __iob_func _acmdln _commode _fmode _setjmp
"

# Prints each import of FILE as "dll function", the DLL in lower case.
pe_imports() {
  objdump -p "$1" | awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3 }'
}

# Prints the imports of FILE that allowed_imports does not hold.
unexpected_imports() {
  awk 'NR == FNR {
         for (i = 1; i <= NF; ++i) {
           if ($i ~ /:$/) dll = substr($i, 1, length($i) - 1); else allowed[dll " " $i] = 1
         }
         next
       }
       !(($1 " " $2) in allowed) { print $1 ":" $2 }' <(echo "$allowed_imports") <(pe_imports "$1")
}

check_pe() {
  local headers dlls status=0 subsystem
  headers=$(objdump -p "$1") || { echo "  $1: not readable as a PE file"; return 1; }
  grep '^Magic' <<<"$headers" | grep -qF "($2)" || { echo "  $1: not $2"; status=1; }
  case "$3" in
    gui) subsystem='Windows GUI' ;;
    console) subsystem='Windows CUI' ;;
  esac
  grep -q "^Subsystem.*($subsystem)" <<<"$headers" || { echo "  $1: not a $3 program"; status=1; }
  for field in MajorOSystemVersion MajorSubsystemVersion; do
    grep -q "^$field[[:space:]]*6$" <<<"$headers" || { echo "  $1: $field is not 6"; status=1; }
  done
  for field in MinorOSystemVersion MinorSubsystemVersion; do
    grep -q "^$field[[:space:]]*0$" <<<"$headers" || { echo "  $1: $field is not 0"; status=1; }
  done
  grep -q 'DYNAMIC_BASE' <<<"$headers" || { echo "  $1: no DYNAMIC_BASE"; status=1; }
  grep -aq '>true</longPathAware>' "$1" || { echo "  $1: its manifest is not longPathAware"; status=1; }
  grep -q 'NX_COMPAT' <<<"$headers" || { echo "  $1: no NX_COMPAT"; status=1; }
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll | user32.dll | comctl32.dll | comdlg32.dll | msvcrt.dll) ;;
      *) echo "  $1 imports $dll, which is not a Windows system DLL"; status=1 ;;
    esac
  done
  local unexpected
  unexpected=$(unexpected_imports "$1")
  [ -z "$unexpected" ] || {
    echo "  $1 imports what Windows Vista may not have:" $unexpected
    status=1
  }
  if [ "$3" = gui ]; then
    grep -qx 'comctl32.dll' <<<"$dlls" || { echo "  $1 does not import comctl32.dll"; status=1; }
  else
    # The command-line program syncs its journal with FlushFileBuffers itself.
    grep -qw 'FlushFileBuffers' <<<"$headers" || { echo "  $1 does not import FlushFileBuffers"; status=1; }
  fi
  return $status
}
