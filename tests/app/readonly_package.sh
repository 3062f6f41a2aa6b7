#!/bin/sh
# make SAMPLE DIR [with-user-list]: a copy of the sample package into which
# nothing can be written, not even by root (the immutable attribute; where the
# file system lacks it, no write permission, which holds for other users).
# With "with-user-list" it holds the keep-user-data list the tool writes for
# the sample (its storage partitions without image), as a package checked
# once before it was shared read-only does.
# remove DIR: takes it away again.
set -e
case $1 in
make)
  [ -e "$3" ] && { chattr -i "$3" 2>/dev/null || true; chmod -R u+w "$3"; rm -rf "$3"; }
  cp -r "$2" "$3"
  if [ "$4" = with-user-list ]; then
    sed 's/filename="[^"]*" label="\(udisk\|usbmsc\)"/filename="" label="\1"/' \
      "$2/rawprogram_unsparse.xml" >"$3/rawprogram_unsparse_for_User.xml"
  fi
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
  echo "usage: $0 make SAMPLE DIR [with-user-list] | remove DIR" >&2
  exit 2
  ;;
esac
