# Sourced by scripts/fuzz and scripts/test-fuzz: builds the libFuzzer harnesses and says
# how each one is run. Expects $root, the repository.
# shellcheck shell=bash
: "${root:?the repository folder}"

# Builds both fuzz projects with clang, with the preset given (fuzz or fuzz-ci: the build
# folders build-fuzz/ and build-fuzz-ci/).
build_fuzzers() {
  local preset=$1 project
  for project in trigwave trigwave-scan trigwave-play dirhelper; do
    (cd "$root/$project/fuzz" && cmake --preset "$preset" >/dev/null &&
      cmake --build --preset "$preset" -j"$(nproc)")
  done
}

# Sets harness_bin, harness_seeds and harness_options for a harness built under $1:
# process_param, render, effects, wheel_parse, wheel_file, vcd, sound, edges, csv, composite
# commands or dirhelper. Fails on any other name.
# shellcheck disable=SC2034  # the three are the callers' to read

harness() {
  local out=$1 name=$2
  case "$name" in
    process_param|render)
      harness_bin="$out/trigwave/bin/${name}_fuzzer"
      harness_seeds="$root/trigwave/fuzz/corpus"
      harness_options=(-dict="$root/trigwave/fuzz/trigwave.dict" -max_len=16384) ;;
    effects)
      harness_bin="$out/trigwave/bin/effects_fuzzer"
      harness_seeds="$root/trigwave/fuzz/corpus-effects"
      harness_options=(-dict="$root/trigwave/fuzz/effects.dict" -max_len=16384) ;;
    wheel_parse|wheel_file)
      # the library's wheel files are the seeds: read by trigwave's parser (wheel_parse), and
      # scanned as trigwave-scan knows them (wheel_file)
      local project=trigwave
      [ "$name" = wheel_parse ] || project=trigwave-scan
      harness_bin="$out/$project/bin/${name}_fuzzer"
      harness_seeds="$root/wheels"
      harness_options=(-max_len=16384) ;;
    vcd|sound|edges|csv|composite)
      harness_bin="$out/trigwave-scan/bin/${name}_fuzzer"
      harness_seeds="$root/trigwave-scan/fuzz/corpus/$name"
      harness_options=(-max_len=65536) ;;
    commands)
      harness_bin="$out/trigwave-play/bin/commands_fuzzer"
      harness_seeds="$root/trigwave-play/fuzz/corpus"
      harness_options=(-max_len=4096) ;;
    dirhelper)
      harness_bin="$out/dirhelper/bin/dirhelper_fuzzer"
      harness_seeds="$root/dirhelper/fuzz/corpus"
      harness_options=(-max_len=4096) ;;
    *) echo "unknown harness $name (process_param, render, effects, wheel_parse, wheel_file, vcd, sound, edges, csv, composite, commands, dirhelper)" >&2; return 2 ;;
  esac
}

# A scratch folder for the DirHelper harness, which makes and removes folders all the
# time: on a tmpfs where there is one. The caller removes it.
fuzz_scratch() {
  mktemp -d -p /dev/shm 2>/dev/null || mktemp -d
}
