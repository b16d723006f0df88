# Sourced by scripts/fuzz and scripts/test-fuzz: builds the libFuzzer harnesses and says
# how each one is run. Expects $root, the repository.

# Builds both fuzz projects with clang under the given folder.
build_fuzzers() {
  local out=$1 project
  for project in trigwave dirhelper; do
    cmake -S "$root/$project/fuzz" -B "$out/$project" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$out/$project" -j"$(nproc)"
  done
}

# Sets harness_bin, harness_seeds and harness_options for a harness built under $1:
# process_param, render or dirhelper. Fails on any other name.
harness() {
  local out=$1 name=$2
  case "$name" in
    process_param|render)
      harness_bin="$out/trigwave/bin/${name}_fuzzer"
      harness_seeds="$root/trigwave/fuzz/corpus"
      harness_options=(-dict="$root/trigwave/fuzz/trigwave.dict" -max_len=16384) ;;
    dirhelper)
      harness_bin="$out/dirhelper/bin/dirhelper_fuzzer"
      harness_seeds="$root/dirhelper/fuzz/corpus"
      harness_options=(-max_len=4096) ;;
    *) echo "unknown harness $name (process_param, render, dirhelper)" >&2; return 2 ;;
  esac
}

# A scratch folder for the DirHelper harness, which makes and removes folders all the
# time: on a tmpfs where there is one. The caller removes it.
fuzz_scratch() {
  mktemp -d -p /dev/shm 2>/dev/null || mktemp -d
}
