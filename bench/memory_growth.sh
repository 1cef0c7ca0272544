# Shared by the benchmarks that hold memory flat in message size. Sourced,
# not run.

# Prints the peak resident size PEAK_KB of a run over messages of SIZE MiB.
print_peak() {
  awk -v k="$1" -v s="$2" 'BEGIN { printf "  %2d MiB audio  %6.1f MiB\n", s, k / 1024 }'
}

# Prints the growth from the peak over 1 MiB messages ($1, KB) to the peak
# over 50 MiB ones ($2, KB); fails when it is over 10 MiB.
growth_within_target() {
  local growth
  growth="$(awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1024 }')"
  echo "  growth $growth MiB (target at most 10)"
  awk -v g="$growth" 'BEGIN { exit !(g <= 10) }'
}
