# shellcheck shell=bash
# Sourced by scripts/build-windows and scripts/build-web: the libraries a
# cross build makes from Debian's source packages, kept between builds in
#
#   ${XDG_CACHE_HOME:-$HOME/.cache}/pixelfolk/<target>-<toolchain>/<source>_<version>/
#
# <target> names the cross build (mingw, emscripten), <toolchain> the Debian
# versions of its compiler packages, <source>_<version> the Debian source
# package and version the native build uses, the folder name under which
# scripts/debian-source unpacks it. A library folder counts only when its
# .complete file holds the key of the recipe that built it: a changed recipe
# or a change in what the caller names as its inputs builds it again. Builds
# that share a cache (two worktrees, two CI stages) take turns through a lock.

pixelfolk_cache=${XDG_CACHE_HOME:-$HOME/.cache}/pixelfolk

# An epoch colon would upset make and PATH-like lists in a folder name.
cache_safe() { echo "${1//:/_}"; }

# library_cache_open TARGET TOOLCHAIN-PACKAGE...: sets library_cache to the
# cache of TARGET built by the installed versions of those packages, and
# waits for its lock.
library_cache_open() {
  local target=$1 versions="" package version
  shift
  for package in "$@"; do
    version=$(dpkg-query -W -f='${Version}' "$package") || {
      echo "library cache: $package is not installed" >&2
      return 1
    }
    versions+=${versions:+-}$version
  done
  library_cache=$pixelfolk_cache/$target-$(cache_safe "$versions")
  mkdir -p "$library_cache"
  exec {library_cache_lock}>"$library_cache/.lock"
  flock "$library_cache_lock"
}

# library_cache_close: lets the next build at the cache.
library_cache_close() {
  exec {library_cache_lock}>&-
}

# cached_library BINARY-PACKAGE RECIPE [INPUTS]: prints the prefix of the
# library built from the source package of BINARY-PACKAGE (an installed -dev
# package), building it first unless the cache holds it from the same recipe.
# RECIPE is a function called as "RECIPE SOURCE-TREE BUILD-FOLDER PREFIX"
# under set -e; its text and INPUTS (whatever else shapes the result: helper
# functions, shared options, a toolchain file's text) make the recipe's key.
# Its output goes to a log, shown when it fails; a failed build leaves no
# prefix. Call it as prefix=$(cached_library ...), not inside a condition:
# there bash would ignore set -e inside the recipe too.
cached_library() {
  local package=$1 recipe=$2 inputs=${3:-} source version prefix key tree work status errexit=+e started=$SECONDS
  source=$(dpkg-query -W -f='${source:Package}' "$package") || return 1
  version=$(dpkg-query -W -f='${source:Version}' "$package") || return 1
  prefix=$library_cache/${source}_$(cache_safe "$version")
  key=$({ declare -f "$recipe"; echo "$inputs"; } | sha256sum | cut -c1-16)
  if [ -f "$prefix/.complete" ] && [ "$(cat "$prefix/.complete")" = "$key" ]; then
    echo "$prefix"
    return 0
  fi
  tree=$("$(dirname "${BASH_SOURCE[0]}")/../debian-source" "$package") || return 1
  work=$prefix.build
  rm -rf "$prefix" "$work"
  mkdir -p "$work"
  echo "library cache: building $source $version into $prefix" >&2
  [[ $- == *e* ]] && errexit=-e
  set +e
  (set -e; "$recipe" "$tree" "$work" "$prefix") >"$work.log" 2>&1
  status=$?
  set "$errexit"
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$work.log" >&2
    echo "library cache: building $source failed (log: $work.log)" >&2
    rm -rf "$prefix"
    return 1
  fi
  rm -rf "$work" "$work.log"
  echo "$key" >"$prefix/.complete"
  echo "library cache: $source built in $((SECONDS - started)) s" >&2
  echo "$prefix"
}
