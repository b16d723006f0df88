# bash completion for trigwave: the wheel types, in either letter case, for the first
# argument, and the two options where that word begins with "-". The other five
# arguments are numbers and sweeps, with nothing to offer.
# shellcheck shell=bash
_trigwave() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  [ "$COMP_CWORD" -eq 1 ] || return 0
  local words='c040 c080 c270 m582 m351 f000 e324 s060 C040 C080 C270 M582 M351 F000 E324 S060'
  case $cur in
    -*) words='--help --version' ;;
  esac
  mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _trigwave trigwave
