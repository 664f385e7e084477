# Validators of the installed desktop files, sourced by the check of the
# installed files and by the package check. Each fails (through `fail`) on
# any error or warning.

# The desktop entry $1, by desktop-file-validate (its hints are left out: it
# hints that an entry in two main categories, Game and Education, shows in
# two menus, which is what the game wants).
validate_desktop_entry() {
  out=$(desktop-file-validate --no-hints "$1" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
}

# The AppStream metainfo $1, by appstreamcli without network.
validate_metainfo() {
  out=$(appstreamcli validate --no-net "$1" 2>&1) && ! echo "$out" | grep -q '^[EW]:' ||
    fail "appstreamcli validate: $out"
}

# The manual page $1, rendered by man with groff's warnings on.
validate_manual_page() {
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "the manual page: $out"
}
