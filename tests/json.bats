#!/usr/bin/env bats
# --json: one JSON object a line per COMMAND, holding the answers that the text gives.

bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    S=$SANDBOX
}

teardown() {
    teardown_sandbox
}

# strict: every line of standard input parses as one JSON value under Python's parser, the
# bytes read as UTF-8 (a byte that is not fails); prints the number of lines.
strict() {
    python3 -c '
import json, sys
lines = sys.stdin.buffer.read().decode("utf-8").split("\n")
assert lines[-1] == "", "the last record ends without a newline"
for line in lines[:-1]:
    json.loads(line)
print(len(lines) - 1)'
}

@test "random trees, PATHs and listings: strict JSON, the text's paths per COMMAND, the same status and stderr" {
    run --separate-stderr python3 - "$TRAKKO" "$S" "${TRAKKO_SEED:-$RANDOM}" <<'PY'
import base64, json, os, random, subprocess, sys

trakko, root, seed = sys.argv[1], sys.argv[2].encode(), int(sys.argv[3])
names = [b"n0", b"n1", b"n2", b"n3", b"x\xff", b"b\xc3\xa9"]

def run(args, cwd, stdin, path):
    env = {"PATH": path, "HOME": os.fsdecode(root)}
    for key in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
        if key in os.environ: env[key] = os.environ[key]
    env = {k.encode(): v if isinstance(v, bytes) else v.encode() for k, v in env.items()}
    done = subprocess.run([trakko.encode()] + args, cwd=cwd, input=stdin, env=env,
                          capture_output=True)
    return done.returncode, done.stdout, done.stderr

def file_paths(record):
    for answer in record["answers"]:
        if answer["kind"] == "file":
            yield base64.b64decode(answer["path_b64"]) if "path_b64" in answer \
                else answer["path"].encode()
        for inner in answer.get("runs", []):
            yield from file_paths(inner)

counts, raw_bytes = [], 0
for case in range(25):
    rng = random.Random(seed * 100 + case)
    top = os.path.join(root, b"c%d" % case)
    dirs = [b"d%d" % i for i in range(4)]
    for d in dirs:
        os.makedirs(os.path.join(top, d))
        for name in names:
            p = os.path.join(top, d, name)
            kind = rng.randrange(7)
            if kind < 4:
                with open(p, "wb") as f: f.write(b"#!/bin/sh\n")
                os.chmod(p, 0o755 if kind < 3 else 0o644)
            elif kind == 4:
                os.mkdir(p)
            elif kind == 5:
                os.symlink(os.path.join(b"..", rng.choice(dirs), name), p)
    entries = [rng.choice([os.path.join(top, d), d, b"", b"missing", os.path.join(top, d, b".")])
               for d in rng.sample(dirs * 2, rng.randrange(1, 7))]
    path = b":".join(entries)
    aliases = [b"alias a%d='%s'\n" % (i, b" | ".join(rng.sample(names, rng.randrange(1, 4))))
               for i in range(2)]
    listing = b"".join(aliases) + b"f0 () \n{ \n    echo\n}\n"
    options = rng.sample([b"--all", b"-i", b"--read-functions", b"--skip-dot"], rng.randrange(0, 4))
    commands = rng.sample(names + [b"a0", b"a1", b"f0", b"nosuch", b"d1/n1"], rng.randrange(1, 7))
    where = f"seed {seed} case {case}: PATH={path!r} {options!r} {commands!r}"
    status, out, err = run(options + [b"--json"] + commands, top, listing, path)
    text_status, _, text_err = run(options + commands, top, listing, path)
    lines = out.decode("utf-8").split("\n")
    assert lines[-1] == "", where
    records = [json.loads(line) for line in lines[:-1]]
    assert [r["name"].encode() if "name_b64" not in r else base64.b64decode(r["name_b64"])
            for r in records] == commands, where
    assert (status, err) == (text_status, text_err), f"{where}: {status} {err!r}"
    for command, record in zip(commands, records):
        _, text, _ = run(options + [command], top, listing, path)
        want = [line.lstrip(b"\t") for line in text.split(b"\n") if line.lstrip(b"\t")[:1] == b"/"]
        assert list(file_paths(record)) == want, f"{where}: {command!r}: {record} vs {want}"
        assert record["found"] == bool(record["answers"]), where
        counts.append(len(want))
        raw_bytes += sum(b"\xff" in line for line in want)
# The cases must have compared paths, not only empty answers, and paths that are not UTF-8.
assert sum(counts) > 15 and raw_bytes > 0, (counts, raw_bytes)
print("ok")
PY
    [ "$status" -eq 0 ] || { echo "$output"; false; }
    [ "$output" = ok ]
}

# Each row: the arguments, then the records that standard output must hold (one a line, "|"
# between them), then the status. The listing names a function, two aliases, builtins,
# keywords and a bound builtin.
@test "the records of each kind" {
    make_exe a/tool b/tool b/ls b/less a/cat
    mkdir -p c/tool
    ln -s b/less "$S/rel"
    {
        printf '%s\n' 'enable echo' "enable $S/a/cat" 'keyword if'
        printf '%s\n' "alias ll='ls -l | less'" "alias lx='ls | nosuch'"
        printf '%s\n' 'f () ' '{ ' '    echo "a	b"' '}'
    } >listing
    local A=$S/a B=$S/b
    local rows=(
        "tool|{\"name\":\"tool\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$A/tool\",\"entry\":1}]}|0"
        "--all tool nosuch|{\"name\":\"tool\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$A/tool\",\"entry\":1},{\"kind\":\"file\",\"path\":\"$B/tool\",\"entry\":3}]}|{\"name\":\"nosuch\",\"found\":false,\"answers\":[]}|1"
        "tool tool|{\"name\":\"tool\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$A/tool\",\"entry\":1}]}|{\"name\":\"tool\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$A/tool\",\"entry\":1}]}|0"
        "--show-tilde ./b/ls|{\"name\":\"./b/ls\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$B/ls\"}]}|0"
        "-i ls ll|{\"name\":\"ls\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$B/ls\",\"entry\":3}]}|{\"name\":\"ll\",\"found\":true,\"answers\":[{\"kind\":\"alias\",\"line\":\"alias ll='ls -l | less'\",\"runs\":[{\"name\":\"ls\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$B/ls\",\"entry\":3}]},{\"name\":\"less\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$B/less\",\"entry\":3}]}]}]}|0"
        "-i lx|{\"name\":\"lx\",\"found\":true,\"answers\":[{\"kind\":\"alias\",\"line\":\"alias lx='ls | nosuch'\",\"runs\":[{\"name\":\"ls\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$B/ls\",\"entry\":3}]},{\"name\":\"nosuch\",\"found\":false,\"answers\":[]}]}]}|0"
        "--read-functions f|{\"name\":\"f\",\"found\":true,\"answers\":[{\"kind\":\"function\",\"definition\":\"f ()\\n{ \\n    echo \\\"a\\tb\\\"\\n}\"}]}|0"
        "--read-builtins echo if|{\"name\":\"echo\",\"found\":true,\"answers\":[{\"kind\":\"builtin\"}]}|{\"name\":\"if\",\"found\":true,\"answers\":[{\"kind\":\"keyword\"}]}|0"
        "--read-builtins cat|{\"name\":\"cat\",\"found\":true,\"answers\":[{\"kind\":\"builtin\",\"in_place_of\":\"$A/cat\"}]}|0"
    )
    local row args want code
    for row in "${rows[@]}"; do
        IFS='|' read -r args want <<<"${row%|*}"
        want=${row#*|} want=${want%|*} code=${row##*|}
        # shellcheck disable=SC2086 # the arguments are separate words
        run --separate-stderr tk PATH="$A:$S/c:$B" HOME="$S" -- --json $args <listing
        [ "$(echo "$output" | tr '\n' '|' | sed 's/|$//')" = "$want" ] && [ "$status" -eq "$code" ] ||
            { echo "$args: status $status, got: $output"; echo "want: $want"; false; }
        [ "$(echo "$output" | strict)" -eq "${#lines[@]}" ]
    done
}

@test "--explain, --read-hash and --check-path go into the records; stderr keeps the rest" {
    make_exe a/tool b/tool b/old
    mkdir -p c/tool
    printf '%s\n' "builtin hash -p $S/b/tool tool" "builtin hash -p $S/b/gone old" >listing
    run --separate-stderr tk PATH="$S/a:$S/c:$S/b" -- --json --explain tool
    [ "$output" = "{\"name\":\"tool\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$S/a/tool\",\"entry\":1}],\"candidates\":[{\"path\":\"$S/a/tool\",\"entry\":1,\"verdict\":\"match\",\"detail\":\"match\"},{\"path\":\"$S/c/tool\",\"entry\":2,\"verdict\":\"directory\",\"detail\":\"a directory\"},{\"path\":\"$S/b/tool\",\"entry\":3,\"verdict\":\"shadowed\",\"detail\":\"also here, not printed: shadowed by the match\"}]}" ]
    [ "$stderr" = "" ]
    run --separate-stderr tk PATH= -- --json --explain tool
    [ "$output" = '{"name":"tool","found":false,"answers":[],"candidates":[{"verdict":"path-empty","detail":"empty"}]}' ]
    [ "$stderr" = "$PROG: no tool in ()" ] && [ "$status" -eq 1 ]
    run --separate-stderr tk PATH="$S/a:$S/b" -- --json --read-hash tool old <listing
    [ "${lines[0]}" = "{\"name\":\"tool\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$S/a/tool\",\"entry\":1}],\"remembered\":{\"path\":\"$S/b/tool\",\"state\":\"not-first\",\"first\":\"$S/a/tool\"}}" ]
    [ "${lines[1]}" = "{\"name\":\"old\",\"found\":true,\"answers\":[{\"kind\":\"file\",\"path\":\"$S/b/old\",\"entry\":2}],\"remembered\":{\"path\":\"$S/b/gone\",\"state\":\"gone\"}}" ]
    [ "$stderr" = "" ] && [ "$status" -eq 0 ]
    run --separate-stderr tk PATH="$S/b:$S/a:$S/b:rel:" -- --json --check-path <listing
    [ "$output" = "{\"entry\":3,\"field\":\"$S/b\",\"finding\":\"duplicate\",\"detail\":\"duplicate of entry 1\"}
{\"entry\":4,\"field\":\"rel\",\"finding\":\"relative\",\"detail\":\"relative: resolved against the working directory\"}
{\"entry\":4,\"field\":\"rel\",\"finding\":\"missing\",\"detail\":\"missing\"}
{\"entry\":5,\"field\":\"\",\"finding\":\"empty\",\"detail\":\"empty: stands for the working directory\"}" ]
    [ "$status" -eq 3 ]
    run --separate-stderr tk PATH="$S/b:$S/a" -- --json --check-path --read-hash <listing
    [ "$output" = "{\"name\":\"old\",\"finding\":\"remembered-gone\",\"detail\":\"the shell remembers $S/b/gone, which no longer exists\"}" ]
    [ "$status" -eq 1 ]
    run tk -- --json --check-path
    [ "$output" = '{"finding":"path-unset","detail":"PATH is unset"}' ] && [ "$status" -eq 1 ]
}

@test "the README's jq example" {
    command -v jq >/dev/null || skip "no jq"
    local line
    line=$(grep -F '$ PATH=/usr/bin:/bin trakko --all --json ls | jq' "$TRAKKO_SOURCE_DIR/README.md")
    [ -n "$line" ]
    run bash -c "trakko() { \"\$TRAKKO\" \"\$@\"; }; ${line#\$ }"
    [ "$status" -eq 0 ]
    [ "$output" = "$(grep -F -A2 -- "$line" "$TRAKKO_SOURCE_DIR/README.md" | tail -n 2)" ]
}
