#!/bin/sh
# make SAMPLE DIR: a copy of the sample package into which nothing can be
# written, not even by root (the immutable attribute; where the file system
# lacks it, no write permission, which holds for other users).
# remove DIR: takes it away again.
set -e
case $1 in
make)
  [ -e "$3" ] && { chattr -i "$3" 2>/dev/null || true; chmod -R u+w "$3"; rm -rf "$3"; }
  cp -r "$2" "$3"
  chmod -R a-w "$3"
  chattr +i "$3" 2>/dev/null || true
  ;;
remove)
  [ -e "$2" ] || exit 0
  chattr -i "$2" 2>/dev/null || true
  chmod -R u+w "$2"
  rm -rf "$2"
  ;;
*)
  echo "usage: $0 make SAMPLE DIR | remove DIR" >&2
  exit 2
  ;;
esac
