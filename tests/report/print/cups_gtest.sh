#!/usr/bin/env bash
# Runs a test program against a private CUPS scheduler (private_cups.sh),
# with CUPS_OUT naming the folder where the queue's jobs land.
set -u
program=$1
fixtures=$2
. "$(dirname "$0")/private_cups.sh"
start_private_cups "$fixtures"
export CUPS_OUT
"$program"
