#!/usr/bin/env bash
# The Windows edition as a user gets it: the installer made from this build tree, run silently in
# a fresh Wine prefix of its own (with a Start-menu entry for the program and one for its mail
# merge), the program started from its Start-menu entry on a display of its own, first without
# Word (the advice, then the end), then with the stand-in for Word registered (the window, a
# value stored as it is typed, a newsletter made, previewed and saved through the real windows),
# and the silent uninstall, which leaves the settings and nothing else.
# The end of the Windows session, with a newsletter in the preview, ends it the ordinary way too.
# Usage: installer-test.sh BUILD_DIR STANDIN_EXE END_SESSION_EXE [SCREENSHOT.png]
set -euo pipefail
build=$(realpath "$1")
standin=$(realpath "$2")
end_session=$(realpath "$3")
screenshot=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
wine=/usr/lib/wine/wine64
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# A command that fails where no check expects it still says which it was.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?" >&2' ERR
step() { echo "-- $*"; }
# Waits up to $1 seconds for the command that follows to succeed.
within() {
  local seconds=$1; shift
  for ((i = 0; i < seconds * 10; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# A prefix and a display of its own: nothing of the build's tests, nothing on another screen.
export WINEARCH=win64 WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH # the installed program must bring every library it needs
for display in $(seq 90 140); do [ -e /tmp/.X11-unix/X$display ] || break; done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
within 10 xdpyinfo || fail "no display"
"$wine" wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -k # the first COM activation in a new prefix hangs until this
/usr/lib/wine/wineserver -w
/usr/lib/wine/wineserver -p60
# Windows has Arial, which the window's style sheet names; Wine draws its metric twin instead.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null

step "making the installer"
mapfile -t made < <("$root/packaging/windows/make-installer" "$build" "$work/out" 2>/dev/null)
setup=${made[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ $(basename "$setup") == "Brindlecast-$version-setup.exe" ]] || fail "installer named $setup"

step "installing silently"
"$wine" "$setup" /S || fail "the installer exited with $?"
user=$(whoami)
profile=$WINEPREFIX/drive_c/users/$user
program_dir=$profile/AppData/Local/Programs/Brindlecast
shortcut=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Brindlecast.lnk
for file in brindlecast.exe brindlecast-word.dll Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
  libstdc++-6.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll \
  libcurl.dll HAND-M.CUR x/o.cjs licenses/Qt/LGPL-3.0-only.txt licenses/curl/COPYING.txt \
  uninstall.exe; do
  [ -f "$program_dir/$file" ] || fail "not installed: $file"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
# A shortcut keeps its arguments as UTF-16 text: without the zero bytes they read as words.
words_of() { tr -d '\0' <"$1"; }
merge_shortcut=${shortcut%.lnk}\ Mail\ Merge.lnk
[ -f "$merge_shortcut" ] || fail "no Start-menu entry for the mail merge"
merge_words=$(words_of "$merge_shortcut")
[[ $merge_words == *'mail-merge'* ]] || fail "the mail merge's entry does not say mail-merge"
[[ $(words_of "$shortcut") != *'mail-merge'* ]] || fail "the program's own entry says mail-merge"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlecast'
entry=$("$wine" reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
for expected in "DisplayName    REG_SZ    Brindlecast" "Publisher    REG_SZ    Quillmark" \
  "DisplayVersion    REG_SZ    $version" 'DisplayIcon    REG_SZ    C:\users\'"$user"'\AppData\Local\Programs\Brindlecast\brindlecast.exe,0' \
  "QuietUninstallString    REG_SZ"; do
  [[ $entry == *"$expected"* ]] || fail "the uninstall entry lacks \"$expected\": $entry"
done
said=$("$wine" "$program_dir/brindlecast.exe" --version | tr -d '\r')
[[ $said == "brindlecast $version" ]] || fail "--version said: $said"

start_from_menu() {
  "$wine" start "C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Brindlecast.lnk"
}
windows() { xdotool search --onlyvisible --name '^Brindlecast$' 2>/dev/null || true; }
a_window() { [ -n "$(windows)" ]; }
window_of_size() { # width height -> the visible Brindlecast window of that size
  local id
  for id in $(windows); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$WIDTH" = "$1" ] && [ "$HEIGHT" = "$2" ] && { echo "$id"; return 0; }
  done
  return 1
}
# Without a window manager the keyboard goes where the focus is put; keys sent to a window
# instead lose their shift state.
keys_to() { local id=$1; shift; xdotool windowfocus "$id" 2>/dev/null; sleep 0.2; xdotool "$@" 2>/dev/null; }
clipboard_of() { # the text a message box copies with Ctrl+C, as Windows' own boxes do
  printf '' | xclip -selection clipboard
  keys_to "$1" key ctrl+c
  within 5 sh -c 'xclip -o -selection clipboard | grep -q .'
  xclip -o -selection clipboard | tr -d '\r'
}
program_running() { pgrep -f 'brindlecast\.exe' >/dev/null; }

step "starting without Word: the advice, then the end"
start_from_menu
within 30 a_window || fail "no window appeared"
box=$(windows | head -1)
said=$(clipboard_of "$box")
advice=$(cat <<'TEXT'
Error 842001. A normal instance of Word could not be created.

1. Please make sure Word is installed on this computer.

2. Please open Word normally and make sure a blank document opens immediately without any interrupting window (such as an Word file recovery window).

3. Please make sure that when you double-click on a DOC or DOCX file that Word opens normally without any interrupting messages.

4. All versions of Word are supported by this software except for the rare Word Starter and Student editions.
TEXT
)
[[ $said == *"$advice"$'\n'---* ]] || fail "the advice box said: $said"
[[ $said == *$'\nOK   \n'* ]] || fail "the advice box has other buttons than OK: $said"
keys_to "$box" key Return
within 10 sh -c '! pgrep -f "brindlecast\.exe"' || fail "the program did not end after the advice"

step "starting with the stand-in for Word registered"
"$wine" "$standin" /RegServer || fail "the stand-in would not register"
start_from_menu
# The main window's client area is 8040 x 9240 twips at 15 twips a pixel, as on Linux.
within 60 window_of_size 536 616 || fail "no main window of 536 x 616: $(windows)"
form1=$(window_of_size 536 616)
[ -n "$screenshot" ] && import -window "$form1" "$screenshot"
# The focus starts in the title's field with its text selected: typing replaces it.
keys_to "$form1" type --delay 30 "Harbor News"
settings='HKCU\Software\VB and VBA Program Settings\Quillmark\Brindlecast'
stored() { "$wine" reg query "$settings" /v Text1_0 2>/dev/null | tr -d '\r' | grep -q "REG_SZ    Harbor News$"; }
within 5 stored || fail "the typed title is not in the registry: $("$wine" reg query "$settings" 2>&1)"

step "making, previewing and saving a newsletter"
xdotool mousemove --window "$form1" 268 21 click 1 # Start Creating Template
# The preview's client area is 9840 x 9390 twips.
within 90 window_of_size 656 626 || fail "no preview appeared: $(windows)"
form2=$(window_of_size 656 626)
temp_dir=$("$wine" winepath -u "$("$wine" cmd /c echo %TEMP% | tr -d '\r')" | tr -d '\r')
ls "$temp_dir"/tarvik????????.doc >/dev/null 2>&1 || fail "no working document in TEMP"
xdotool mousemove --window "$form2" 488 603 click 1 # Save Results To Word File
within 20 sh -c '[ "$(xdotool search --onlyvisible --name "^Save File$" | head -1)" != "" ]' ||
  fail "no save dialog"
dialog=$(xdotool search --onlyvisible --name '^Save File$' | head -1)
keys_to "$dialog" type --delay 30 'C:\users\'"$user"'\news.doc'
keys_to "$dialog" key Return
done_box() {
  local id
  for id in $(windows); do [ "$id" != "$form2" ] && [ "$id" != "$form1" ] && { echo "$id"; return 0; }; done
  return 1
}
within 20 done_box || fail "no box after saving"
said=$(clipboard_of "$(done_box)")
[[ $said == *$'\nDone.\n'* ]] || fail "after saving the box said: $said"
keys_to "$(done_box)" key Return
saved=$profile/news.doc
[ -f "$saved" ] || fail "the newsletter was not saved"
cmp -s "$saved" "$(ls "$temp_dir"/tarvik????????.doc | head -1)" || fail "the saved file is not the working document"
grep -q 'Harbor News' "$saved" || fail "the saved newsletter lacks the typed title"

step "closing the preview ends the program and removes the working document"
keys_to "$form2" key alt+F4
within 20 sh -c '! pgrep -f "brindlecast\.exe"' || fail "the program did not end"
! ls "$temp_dir"/tarvik????????.doc >/dev/null 2>&1 || fail "the working document was left in TEMP"

step "logging off with a newsletter in the preview ends the program the same way"
start_from_menu
within 60 window_of_size 536 616 || fail "no main window the second time"
xdotool mousemove --window "$(window_of_size 536 616)" 268 21 click 1
within 90 window_of_size 656 626 || fail "no preview the second time"
ls "$temp_dir"/tarvik????????.doc >/dev/null 2>&1 || fail "no working document the second time"
"$wine" "$end_session" || fail "the program did not agree to the end of the session ($?)"
# The system may end a program as soon as it has answered: by then the document is gone.
! ls "$temp_dir"/tarvik????????.doc >/dev/null 2>&1 || fail "the session's end left the working document"
within 20 sh -c '! pgrep -f "brindlecast\.exe"' || fail "the program did not end with the session"
"$wine" "$standin" /UnregServer || true

step "uninstalling silently"
"$wine" "$program_dir/uninstall.exe" /S
# The uninstaller runs from a copy of itself and returns at once.
within 60 sh -c "[ ! -e \"$program_dir\" ]" || fail "left behind: $(find "$program_dir" | head)"
[ ! -e "$shortcut" ] || fail "the Start-menu entry was left"
[ ! -e "$merge_shortcut" ] || fail "the mail merge's Start-menu entry was left"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry was left"
stored || fail "the uninstaller took the user's settings"
echo "installer test passed"
