# bash completion for trigwave: the wheel types, in either letter case, where the type goes
# (after the options), the options where that word begins with "-", the fault kinds after
# --fault, and after --wheel the
# library's wheel files (in share/orix/wheels beside the program's bin folder, as installed) by
# their names, or wheel files and folders by path. The five sweeps are numbers, with
# nothing to offer.
# shellcheck shell=bash
_trigwave() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  COMPREPLY=()
  case $prev in
    --wheel)
      local program library
      program=$(type -P trigwave) && library=${program%/*} && library=${library%/*}/share/orix/wheels
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(
        [ -n "$library" ] && [[ $cur != */* ]] && compgen -G "$library/$cur*.wheel" | sort
        compgen -f -X '!*.wheel' -- "$cur"
        compgen -d -- "$cur")
      return 0 ;;
    --output|--truth)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return 0 ;;
    --fault)
      mapfile -t COMPREPLY < <(compgen -W 'missing@ extra@ dropout@ spike@ flip@ nocam@' -- "$cur")
      compopt -o nospace 2>/dev/null
      return 0 ;;
    --runout|--cranking|--noise|--jitter|--seed)
      return 0 ;;
  esac
  # the type's place: the first word after the options
  local i=1 wheel=
  while [ "$i" -lt "$COMP_CWORD" ]; do
    case ${COMP_WORDS[i]} in
      --wheel) wheel=1; i=$((i + 2)) ;;
      --output|--truth|--runout|--cranking|--noise|--jitter|--seed|--fault) i=$((i + 2)) ;;
      --reverse|--vr) i=$((i + 1)) ;;
      *) break ;;
    esac
  done
  [ "$i" -eq "$COMP_CWORD" ] || return 0
  local words='c040 c080 c270 m582 m351 f000 e324 s060 C040 C080 C270 M582 M351 F000 E324 S060'
  [ -z "$wheel" ] || words=
  case $cur in
    -*)
      words='--wheel --output --reverse --vr --runout --cranking --noise --jitter --seed --fault --truth'
      [ "$COMP_CWORD" -ne 1 ] || words+=' --help --version' ;;
  esac
  mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _trigwave trigwave
