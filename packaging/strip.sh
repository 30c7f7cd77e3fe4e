#!/bin/sh
# strip as Debian's packaging helpers call it: also without the compiler's notes.
exec strip --remove-section=.comment --remove-section=.note "$@"
