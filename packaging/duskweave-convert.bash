# bash completion for duskweave-convert.
# Subcommands, options and their values are read from the program's own
# --help and SUBCOMMAND --help the first time they are needed in a shell, so
# that a new subcommand or option completes without a change here.

declare -gA _duskweave_convert_help

# Sets _duskweave_convert_text to the help of the program in $1, for the
# subcommand in $2 if given; cached per program path and subcommand. Called
# outside command substitution so that the cache outlives the call.
_duskweave_convert_help_of() {
  local key="$1|$2"
  if [[ -z ${_duskweave_convert_help[$key]+set} ]]; then
    if [[ -n $2 ]]; then
      _duskweave_convert_help[$key]=$(LC_ALL=C "$1" "$2" --help 2>/dev/null)
    else
      _duskweave_convert_help[$key]=$(LC_ALL=C "$1" --help 2>/dev/null)
    fi
  fi
  _duskweave_convert_text=${_duskweave_convert_help[$key]}
}

# Prints the lines of one "Heading:" section of a help text on stdin.
_duskweave_convert_section() {
  awk -v heading="$1:" '$0 == heading { inside = 1; next }
    inside && /^[^ ]/ { exit }
    inside && NF { print }'
}

# Completes file names: with $1 "archives", archives and folders; with $1
# "folders", folders only; otherwise any file.
_duskweave_convert_files() {
  local cur=$2 name lower
  local -a names
  compopt -o filenames 2>/dev/null
  if [[ $1 == folders ]]; then
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    return
  fi
  mapfile -t names < <(compgen -f -- "$cur")
  COMPREPLY=()
  for name in "${names[@]}"; do
    lower=${name,,}
    if [[ $1 != archives || -d $name || $lower == *.def || $lower == *.lod ]]; then
      COMPREPLY+=("$name")
    fi
  done
}

_duskweave_convert() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD-1]}
  local program=${COMP_WORDS[0]}
  [[ $program == "~"* ]] && program=$HOME${program:1}
  COMPREPLY=()

  local top subcommands _duskweave_convert_text
  _duskweave_convert_help_of "$program" ""
  top=$_duskweave_convert_text
  subcommands=$(_duskweave_convert_section Subcommands <<<"$top" | awk '{ print $1 }')

  # The first word that names a subcommand picks it.
  local i sub="" subIndex=0 word
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ $word != -* ]] && grep -qxF -- "$word" <<<"$subcommands"; then
      sub=$word
      subIndex=$i
      break
    fi
  done

  if [[ -z $sub ]]; then
    local options
    options=$(_duskweave_convert_section Options <<<"$top" | awk '{ print $1 }' | tr ',' '\n')
    if [[ $cur == -* ]]; then
      mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    else
      mapfile -t COMPREPLY < <(compgen -W "$subcommands" -- "$cur")
    fi
    return 0
  fi

  # Option lines read "  -f,--frames LIST  ..." or "  --format FORMAT:{bmp,png} ...":
  # a name in capitals one space after the option's names is the value it
  # takes, and a set in braces lists that value's choices.
  local help optionLines
  _duskweave_convert_help_of "$program" "$sub"
  help=$_duskweave_convert_text
  optionLines=$(_duskweave_convert_section Options <<<"$help")

  local valueLines valueOptions
  valueLines=$(grep -E '^ +-[^ ]+ [A-Z][A-Z0-9_]*(:\{[^}]*\})?( |$)' <<<"$optionLines")
  valueOptions=$(awk '{ print $1 }' <<<"$valueLines" | tr ',' '\n')

  if [[ $prev == -* ]] && grep -qxF -- "$prev" <<<"$valueOptions"; then
    local choices
    choices=$(awk -v option="$prev" '{
        n = split($1, names, ",")
        for (k = 1; k <= n; k++) if (names[k] == option && match($2, /[{][^}]*[}]/))
          print substr($2, RSTART + 1, RLENGTH - 2)
      }' <<<"$valueLines" | tr ',' '\n')
    # A value without a fixed set of choices (a frame list) is the user's to type.
    [[ -n $choices ]] && mapfile -t COMPREPLY < <(compgen -W "$choices" -- "$cur")
    return 0
  fi

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(awk '{ print $1 }' <<<"$optionLines" | tr ',' '\n')" \
      -- "$cur")
    return 0
  fi

  # Which positional is this? Count the paths before it, leaving out options
  # and the values they take.
  local -a positionals
  mapfile -t positionals < <(_duskweave_convert_section Positionals <<<"$help" |
    awk '{ print $1 ($3 == "..." ? "..." : "") }')
  local count=0
  for ((i = subIndex + 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ $word == -* ]]; then
      grep -qxF -- "$word" <<<"$valueOptions" && ((i++))
      continue
    fi
    ((count++))
  done
  local positional=""
  if ((count < ${#positionals[@]})); then
    positional=${positionals[count]}
  elif ((${#positionals[@]} > 0)) && [[ ${positionals[-1]} == *... ]]; then
    positional=${positionals[-1]}
  fi
  case ${positional%...} in
    ARCHIVE | INPUT) _duskweave_convert_files archives "$cur" ;;
    *DIR) _duskweave_convert_files folders "$cur" ;;
    *) _duskweave_convert_files any "$cur" ;;
  esac
  return 0
}

complete -F _duskweave_convert duskweave-convert
