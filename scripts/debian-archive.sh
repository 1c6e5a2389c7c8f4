# Sourced by the scripts that install from, build for or debootstrap from the Debian archive apt
# uses: what that archive is and what it offers.

# The first Debian archive named in apt's sources (deb822 .sources files or one-line .list files),
# skipping the security archive, so that a new system comes from the same mirror as this
# machine's packages.
debian_archive_url() {
  local f
  {
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk 'tolower($1)=="uris:" { for (i = 2; i <= NF; i++) print $i }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      awk '$1=="deb" { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; break } }' "$f"
    done
  } | grep -v -- '-security' | grep -m1 '/debian/\?$' || true
}

# debian_archive_url, or the script that asks ($1 names it) ends saying there is none.
require_debian_archive_url() {
  local url
  url=$(debian_archive_url)
  if [ -z "$url" ]; then
    echo "$1: no Debian archive found in /etc/apt/sources.list{,.d}" >&2
    exit 1
  fi
  echo "$url"
}

# Whether the release builds LayerShellQt for Qt 6 (Debian 13 on; Debian 12's is for Qt 5), which
# puts the panel at the icon on Wayland. Asks apt's package lists, so they must be there.
layer_shell_for_qt6() {
  apt-cache show --no-all-versions liblayershellqtinterface-dev 2>/dev/null |
    grep -q '^Depends:.*qt6-base-dev'
}
