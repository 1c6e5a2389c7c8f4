# Sourced by the scripts that debootstrap a Debian system: the first Debian archive named in apt's
# sources (deb822 .sources files or one-line .list files), skipping the security archive, so that
# the new system comes from the same mirror as this machine's packages.
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
