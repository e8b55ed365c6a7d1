#!/usr/bin/env bash
# tests/boundary/plain_frames.sh LIBRARY: the frames an exception of the other
# party's mechanism passes at the edge hold no handler of ours.
#
# Built for x64 Windows, every frame has unwind information in the image, and
# a frame with an exception handler (GCC's, for a catch or a clean-up) is one
# that a Microsoft exception must not meet. Two kinds of frame of ours lie on
# such an exception's way: the call that an outbound runs between the edge's
# catch and the other party (edge::detail::call<...>::crossing), and, between the
# edge's throw and the other party, each slot that runs an inbound and the
# inbound itself (an unoptimised build keeps all three apart, so each is
# checked). Answers which frames hold a handler, and fails if any does.
set -euo pipefail
library=$1
readobj=$(command -v llvm-readobj-14 || command -v llvm-readobj)
cxxfilt=$(command -v llvm-cxxfilt-14 || command -v llvm-cxxfilt)
# One line per function: its flags and its name.
functions=$("$readobj" --unwind "$library" | awk '
  /StartAddress:/ { name = $2 }
  /Flags \[/ { flags = $3; gsub(/[()]/, "", flags); printf "%s\t%s\n", flags, name }' | "$cxxfilt")
checked=0
failed=0
check() {  # FLAGS NAME
  checked=$((checked + 1))
  if [ "$1" != 0x0 ]; then
    echo "holds a handler (unwind flags $1): $2"
    failed=1
  fi
}
while IFS=$'\t' read -r flags name; do
  case $name in
    "edge::detail::call<"*"::crossing(void*)") check "$flags" "$name" ;;
    "decltype(auto) edge::inbound<"*)
      check "$flags" "$name"
      # The slot it runs in: the function whose lambda it was given.
      slot=${name#decltype(auto) edge::inbound<}
      slot=${slot%%::\'lambda\'*}
      slot_flags=$(awk -F'\t' -v slot="$slot" '$2 == slot { print $1; exit }' <<<"$functions")
      if [ -z "$slot_flags" ]; then
        echo "no unwind information found for the slot $slot"
        failed=1
      else
        check "$slot_flags" "$slot"
      fi
      ;;
  esac
done <<<"$functions"
echo "$checked frames checked in $(basename "$library")"
if ((checked < 10)); then
  echo "too few: the names were not found (an optimised build?)"
  exit 1
fi
exit "$failed"
