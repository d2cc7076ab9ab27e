#!/usr/bin/env bash
# Proves the README's two commands on a fresh Debian system, made here in a
# folder without touching this machine's own packages: debootstrap makes a
# minimal system of the suite asked for (trixie, Debian 13, unless --suite
# says bookworm or forky) from the archive this machine's apt uses, with git
# and ca-certificates added and nothing else; the current commit is cloned
# into it; the test command runs there as root (with Debian's own Node.js,
# never this machine's); then scripts/play.sh builds and starts the game on
# an Xvfb of ours until its "Form1" window shows. Prints each part's time.
# Everything it starts and mounts is stopped and taken down at the end, on
# failure and Ctrl+C too, and the system is deleted unless --keep.
#   scripts/fresh-debian.sh [--suite SUITE] [--keep] [--dir DIR] [--cache DIR] [--command CMD]
# --suite: trixie (the default, Debian 13), bookworm (Debian 12) or forky
#   (testing, for a probe with --command), from the same mirror.
# --dir: where to make the system (default a new folder in /var/tmp).
# --cache: keeps the downloaded packages in DIR for the next run.
# --command: runs CMD instead of the test command, to try this script out;
#   such a run proves nothing about the test command and says so.
# Needs root (debootstrap, chroot, mounts).
set -euo pipefail
cd "$(dirname "$0")/.."

suite=trixie
keep=no
parent=/var/tmp
cache=
command=scripts/test.sh
while (($#)); do
  case $1 in
    --suite) suite=$2; shift ;;
    --keep) keep=yes ;;
    --dir) parent=$2; shift ;;
    --cache) cache=$(realpath -m "$2"); shift ;;
    --command) command=$2; shift ;;
    *) echo "usage: scripts/fresh-debian.sh [--suite SUITE] [--keep] [--dir DIR] [--cache DIR] [--command CMD]" >&2; exit 2 ;;
  esac
  shift
done
[[ $suite =~ ^(bookworm|trixie|forky)$ ]] ||
  { echo "fresh-debian: no suite '$suite' (bookworm, trixie or forky)" >&2; exit 2; }
[[ $(id -u) -eq 0 ]] || { echo "fresh-debian: needs root (debootstrap, chroot, mounts)" >&2; exit 2; }
scripts/deps.sh fresh
commit=$(git rev-parse HEAD)
[[ -z $(git status --porcelain --untracked-files=no) ]] ||
  echo "fresh-debian: note: what is not committed is not tested; this tests $commit"

# The Debian archives this machine's apt reads, one "URI SUITE COMPONENTS"
# a line, from the one-line and the deb822 source lists.
archives() {
  local list
  for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f $list ]] || continue
    sed -E 's/#.*//; s/\[[^]]*\]//' "$list" | awk '$1 == "deb" { printf "%s %s", $2, $3; for (i = 4; i <= NF; i++) printf " %s", $i; print "" }'
  done
  for list in /etc/apt/sources.list.d/*.sources; do
    [[ -f $list ]] || continue
    sed -E '/^[[:space:]]*#/d; s/#.*//' "$list" | awk -v RS= '
      {
        types = uris = suites = components = ""; enabled = 1
        n = split($0, lines, "\n")
        for (i = 1; i <= n; i++) {
          line = lines[i]
          if (line ~ /^[ \t]/) { field = field " " line } else { field = line; name = tolower(line); sub(/:.*/, "", name) }
          value = field; sub(/^[^:]*:[ \t]*/, "", value)
          if (name == "types") types = value
          else if (name == "uris") uris = value
          else if (name == "suites") suites = value
          else if (name == "components") components = value
          else if (name == "enabled" && value ~ /^[ \t]*no/) enabled = 0
        }
        if (!enabled || types !~ /(^|[ \t])deb([ \t]|$)/) next
        nu = split(uris, u, /[ \t]+/); ns = split(suites, s, /[ \t]+/)
        for (a = 1; a <= nu; a++) for (b = 1; b <= ns; b++) if (u[a] != "" && s[b] != "") print u[a], s[b], components
      }'
  done
}
# Only Debian's own suites, those of this machine's release renamed for the
# one asked for: another vendor's archive (a newer Node.js, say) is just what
# a fresh system does not have. Testing has no -updates suite.
host_suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
sources=$(archives | awk -v host="$host_suite" -v suite="$suite" '
  $2 ~ "^" host "(-updates|-security)?$" {
    sub("^" host, suite, $2)
    if (!(suite == "forky" && $2 == "forky-updates")) print
  }' | sort -u)
mirror=$(awk -v suite="$suite" '$2 == suite { print $1; exit }' <<<"$sources")
[[ -n $mirror ]] || { echo "fresh-debian: this machine's apt reads no Debian archive of $host_suite" >&2; exit 1; }
# debootstrap fetches through apt's proxy, if this machine's apt has one.
eval "$(apt-config shell http_proxy Acquire::http::Proxy https_proxy Acquire::https::Proxy)"
[[ -z ${http_proxy:-} ]] || export http_proxy
[[ -z ${https_proxy:-} ]] || export https_proxy

mkdir -p "$parent"
tree=$(mktemp -d "$parent/blockdrop-fresh.XXXXXX")
root=$tree/root
server=
player=
times=()
current_part=
part_start=0

# The mount points under $root, deepest first.
mounts_under_root() {
  awk -v root="$root" '$5 == root || index($5, root "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
# Every process whose root is the new system: what the test command and the
# game started there, however deep.
processes_in_root() {
  local link
  for link in /proc/[0-9]*/root; do
    [[ $(readlink "$link" 2>/dev/null) == "$root" ]] && { link=${link#/proc/}; echo "${link%/root}"; }
  done
  return 0
}
cleanup() {
  local status=$? pids mount signal
  trap - EXIT INT TERM
  if ((status != 0)); then
    [[ -z $current_part ]] || current_part="'$current_part', after $((SECONDS - part_start)) s"
    echo "fresh-debian: failed (status $status) in ${current_part:-the setting up}" >&2
    ((${#times[@]} == 0)) || printf 'before it: %s\n' "${times[@]}" >&2
  fi
  [[ -z $player ]] || kill -TERM -- "-$player" 2>/dev/null || true
  for signal in TERM TERM TERM KILL; do
    pids=$(processes_in_root)
    [[ -n $pids ]] || break
    # shellcheck disable=SC2086
    kill -"$signal" $pids 2>/dev/null || true
    for _ in 1 2 3 4 5; do
      [[ -n $(processes_in_root) ]] || break
      sleep 1
    done
  done
  [[ -z $server ]] || kill "$server" 2>/dev/null || true
  for mount in $(mounts_under_root); do
    umount "$mount" 2>/dev/null || umount -l "$mount" || true
  done
  if [[ -n $(mounts_under_root) ]]; then
    echo "fresh-debian: still mounted under $root, so it stays: $(mounts_under_root | tr '\n' ' ')" >&2
  elif [[ $keep == yes ]]; then
    echo "fresh-debian: the system stays in $root"
  else
    rm -rf --one-file-system "$tree"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Runs a part, timed; every part's time is printed again at the end.
part() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  current_part=$name
  part_start=$start
  "$@"
  current_part=
  times+=("$(printf '%-44s %4d:%02d' "$name" $(((SECONDS - start) / 60)) $(((SECONDS - start) % 60)))")
  echo "== $name: $((SECONDS - start)) s"
}
# Runs a command in the new system as root, in a clean environment: only
# what reaches the npm registry the way this machine does comes along.
in_root() {
  local environment=(HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}"
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
  local name
  while read -r name; do
    environment+=("$name=${!name}")
  done < <(compgen -e | grep -E '^(npm_config_|NPM_CONFIG_|NODE_EXTRA_CA_CERTS$|https?_proxy$|HTTPS?_PROXY$|no_proxy$|NO_PROXY$)' || true)
  chroot "$root" /usr/bin/env -i "${environment[@]}" "$@"
}

make_system() {
  local options=(--variant=minbase "--include=git,ca-certificates")
  [[ -z $cache ]] || { mkdir -p "$cache/debootstrap"; options+=(--cache-dir="$cache/debootstrap"); }
  # An older debootstrap knows no script for a newer testing: sid's serves.
  local script=/usr/share/debootstrap/scripts/$suite
  [[ -e $script ]] || script=/usr/share/debootstrap/scripts/sid
  debootstrap "${options[@]}" "$suite" "$root" "$mirror" "$script" >"$tree/debootstrap.log" 2>&1 ||
    { tail -n 30 "$tree/debootstrap.log" >&2; return 1; }
}

prepare_system() {
  # What a booted system has: its kernel file systems and devices, a /tmp
  # and a /dev/shm of its own.
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  mount --bind /dev "$root/dev"
  mount --bind /dev/pts "$root/dev/pts"
  mount -t tmpfs -o mode=1777 shm "$root/dev/shm"
  mount -t tmpfs -o mode=1777 tmp "$root/tmp"
  [[ -z $cache ]] || { mkdir -p "$cache/apt"; mount --bind "$cache/apt" "$root/var/cache/apt/archives"; }
  cp /etc/resolv.conf /etc/hosts "$root/etc/"
  # No init runs in there: packages must not start services, as in any
  # chroot (policy-rc.d's "action forbidden").
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"

  # The archive as this machine reads it, and apt's network settings
  # (proxy, checks of dates in a snapshot's Release files) but nothing else
  # of its configuration: no file a package owns, which is that package's
  # own (appstream's, say) and another release's package ships its own.
  awk '{ printf "deb %s %s", $1, $2; for (i = 3; i <= NF; i++) printf " %s", $i; print "" }' <<<"$sources" \
    >"$root/etc/apt/sources.list"
  local conf
  for conf in /etc/apt/apt.conf /etc/apt/apt.conf.d/*; do
    [[ -f $conf ]] && grep -q '^[[:space:]]*Acquire' "$conf" && ! dpkg -S "$conf" >/dev/null 2>&1 &&
      cp "$conf" "$root/etc/apt/apt.conf.d/"
  done
  # Certificate authorities this machine adds to Debian's, as
  # update-ca-certificates makes the bundle of them in there; npm and
  # Node.js check the registry's certificate against that bundle.
  if [[ -d /usr/local/share/ca-certificates ]]; then
    cp -a /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/"
  fi
  if [[ -n ${NODE_EXTRA_CA_CERTS:-} && -f $NODE_EXTRA_CA_CERTS ]]; then
    mkdir -p "$root$(dirname "$NODE_EXTRA_CA_CERTS")"
    cp "$NODE_EXTRA_CA_CERTS" "$root$NODE_EXTRA_CA_CERTS"
  fi
  in_root update-ca-certificates >/dev/null
  # npm's own settings, as root has them here (its registry, say).
  local npmrc=${npm_config_userconfig:-$HOME/.npmrc}
  [[ ! -f $npmrc ]] || cp "$npmrc" "$root/root/.npmrc"

  git clone --quiet --no-checkout . "$root/root/blockdrop"
  git -C "$root/root/blockdrop" checkout --quiet --detach "$commit"
  echo "made: Debian $(cat "$root/etc/debian_version") from $mirror, the commit $commit in /root/blockdrop"
}

run_command() {
  in_root /bin/sh -c "cd /root/blockdrop && $command"
  # The browser tests ran on Debian's own Node.js, if any ran.
  if in_root /bin/sh -c 'command -v node' >/dev/null; then
    echo "Node.js in there: $(in_root node --version), from the package" \
      "$(in_root /bin/sh -c 'dpkg -S "$(readlink -f "$(command -v node)")"' | cut -d: -f1)"
  fi
}

play_window() {
  local display_file=$tree/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>"$tree/xvfb.log" &
  server=$!
  local waited=0
  until [[ -s $display_file ]]; do
    ((waited++ < 100)) || { echo "fresh-debian: Xvfb did not start" >&2; return 1; }
    sleep 0.1
  done
  local display
  display=:$(head -n 1 "$display_file")
  # Our Xvfb's socket, for the game in there; only now, as the test
  # command's own Xvfb servers put theirs in the system's own /tmp.
  mkdir -p "$root/tmp/.X11-unix"
  mount --bind -o ro /tmp/.X11-unix "$root/tmp/.X11-unix"
  # The game's build comes first; its own process group, to stop it after.
  setsid chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 DISPLAY="$display" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/sh -c 'cd /root/blockdrop && exec scripts/play.sh' >"$tree/play.log" 2>&1 &
  player=$!
  local window='' started=$SECONDS
  while [[ -z $window ]]; do
    if ((SECONDS - started > 1800)); then
      echo "fresh-debian: no \"Form1\" window after 30 minutes" >&2
      return 1
    fi
    if ! kill -0 "$player" 2>/dev/null; then
      tail -n 30 "$tree/play.log" >&2
      echo "fresh-debian: scripts/play.sh ended before its window showed" >&2
      return 1
    fi
    sleep 1
    window=$(DISPLAY=$display xdotool search --name '^Form1$' 2>/dev/null | head -n 1) || true
  done
  # A few seconds in, the game is still up with its window.
  sleep 5
  kill -0 "$player" 2>/dev/null || { echo "fresh-debian: the game ended within 5 s" >&2; return 1; }
  echo "the window \"Form1\" is up: $(DISPLAY=$display xdotool getwindowgeometry "$window" | tr -s '\n ' ' ')"
  kill -TERM -- "-$player"
  wait "$player" 2>/dev/null || true
  player=
}

total=$SECONDS
part "making a minimal Debian $suite with git" make_system
part "mounting, certificates, cloning $commit" prepare_system
if [[ $command == scripts/test.sh ]]; then
  part "the test command: scripts/test.sh" run_command
else
  part "NOT the test command but: $command" run_command
fi
part "scripts/play.sh until its window shows" play_window
echo "== times"
printf '%s\n' "${times[@]}"
echo "all: $(((SECONDS - total) / 60)) min $(((SECONDS - total) % 60)) s"
[[ $command == scripts/test.sh ]] || echo "fresh-debian: ran '$command', not the test command: this run proves nothing about it"
echo "fresh-debian: passed"
