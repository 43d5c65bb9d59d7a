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

# Prints the entries of one "Heading:" section of a help text on stdin: the
# lines indented by two spaces (a description's continued lines are indented
# further).
_duskweave_convert_section() {
  awk -v heading="$1:" '$0 == heading { inside = 1; next }
    inside && /^[^ ]/ { exit }
    inside && /^  [^ ]/ { print }'
}

# Prints "NAME VALUE" for each option name of the option entries on stdin. An
# entry reads "  -f, --frames LIST    description": the names, the value the
# option takes, then two spaces or more (or the end of the line) before the
# description. VALUE is "-" for a flag; a value with fixed choices reads
# "bmp|png".
_duskweave_convert_options() {
  awk '/^  -/ {
      head = substr($0, 3)
      cut = index(head, "  ")
      if (cut) head = substr(head, 1, cut - 1)
      n = split(head, words, " ")
      value = "-"
      if (words[n] !~ /^-/) { value = words[n]; n-- }
      for (k = 1; k <= n; k++) { name = words[k]; sub(/,$/, "", name); print name, value }
    }'
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
    options=$(_duskweave_convert_section Options <<<"$top" | _duskweave_convert_options |
      awk '{ print $1 }')
    if [[ $cur == -* ]]; then
      mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    else
      mapfile -t COMPREPLY < <(compgen -W "$subcommands" -- "$cur")
    fi
    return 0
  fi

  local help optionTable valueOptions
  _duskweave_convert_help_of "$program" "$sub"
  help=$_duskweave_convert_text
  optionTable=$(_duskweave_convert_section Options <<<"$help" | _duskweave_convert_options)
  valueOptions=$(awk '$2 != "-" { print $1 }' <<<"$optionTable")

  if [[ $prev == -* ]] && grep -qxF -- "$prev" <<<"$valueOptions"; then
    local choices
    choices=$(awk -v option="$prev" '$1 == option && $2 ~ /[|]/ { print $2 }' <<<"$optionTable" |
      tr '|' '\n')
    # A value without a fixed set of choices (a frame list) is the user's to type.
    [[ -n $choices ]] && mapfile -t COMPREPLY < <(compgen -W "$choices" -- "$cur")
    return 0
  fi

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(awk '{ print $1 }' <<<"$optionTable")" -- "$cur")
    return 0
  fi

  # Which positional is this? Count the paths before it, leaving out options
  # and the values they take.
  local -a positionals
  mapfile -t positionals < <(_duskweave_convert_section Positionals <<<"$help" |
    awk '{ print $1 }')
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
