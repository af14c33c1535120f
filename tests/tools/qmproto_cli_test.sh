#!/usr/bin/env bash
# qmproto as a command-line tool: --help and --version on standard output, "-" for standard
# input, and errors that say which file, table, row and field, and why.
# usage: qmproto_cli_test.sh QMPROTO DATA_DIR VERSION
set -euo pipefail
qmproto=$1 data=$2 version=$3
fail() { echo "FAIL: $*"; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# run ARGS...: sets rc, out (standard output) and err (standard error); standard input from $in.
in=/dev/null
run() {
  set +e
  "$qmproto" "$@" <"$in" >"$scratch/out" 2>"$scratch/err"
  rc=$?
  set -e
  out=$(cat "$scratch/out") err=$(cat "$scratch/err")
}

run --help
[ "$rc" = 0 ] && [ -z "$err" ] || fail "--help: rc=$rc err=$err"
for word in "usage: qmproto read" --exchange fields write --version '"format": 1'; do
  grep -qF -- "$word" <<<"$out" || fail "--help lacks $word"
done
run read --help
[ "$rc" = 0 ] && grep -q "usage:" <<<"$out" || fail "read --help: rc=$rc"
run --version
[ "$rc" = 0 ] && [ "$out" = "qmproto $version" ] || fail "--version: rc=$rc out=$out"

# Standard input.
in=$data/save_answer.xml
run read --exchange save -
[ "$rc" = 0 ] && grep -q '"moduleReads": "saved"' <<<"$out" || fail "read - : rc=$rc $out $err"
grep -q '^  "format": 1,' <<<"$out" || fail "read: no format: $out"
in=$data/save_request.json
run write -
[ "$rc" = 0 ] && grep -q '<TB_MEMAC op="4"' <<<"$out" || fail "write - : rc=$rc $err"
in=/dev/null

# Where a document stops: line and column, and what was expected.
printf '<quelmar>\n<status><code>0</code></status>\n</quelmr>\n' >"$scratch/broken.xml"
run read "$scratch/broken.xml"
[ "$rc" = 0 ] || fail "read of a broken document exited $rc"
grep -q '"readError": "line 3, column [0-9]*: .*expected </quelmar>"' <<<"$out" || fail "readError: $out"

# The system's reason for a file that cannot be read.
run read "$scratch/none.xml"
[ "$rc" = 1 ] && [ "$err" = "qmproto: cannot read $scratch/none.xml: No such file or directory" ] ||
  fail "missing file: rc=$rc err=$err"
run fields "$scratch"
[ "$rc" = 1 ] && grep -q "cannot read $scratch: Is a directory" <<<"$err" || fail "a folder: rc=$rc err=$err"

# A write names the table, the row and the field.
run write "$data/bad_value_request.json"
[ "$rc" = 1 ] && grep -q "table TB_MEMAC, row 1, field MEMAC_ID: " <<<"$err" || fail "bad value: rc=$rc err=$err"
sed 's/"2008-06-02"/"someday"/; s/"not a number"/7/' "$data/bad_value_request.json" >"$scratch/bad_deleted.json"
run write "$scratch/bad_deleted.json"
[ "$rc" = 1 ] && grep -q "table TB_MEMAC, deleted row 1, field CREATE_DATE: " <<<"$err" ||
  fail "bad deleted value: rc=$rc err=$err"

# A wrong command line: usage on standard error, 2.
run frob x
[ "$rc" = 2 ] && [ -z "$out" ] && grep -q "usage:" <<<"$err" || fail "wrong command: rc=$rc"
echo "ok: qmproto"
