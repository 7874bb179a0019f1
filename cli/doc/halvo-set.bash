# bash completion for halvo-set.
#
# The options and their values are read from the program's own --help, so the
# completion offers exactly what the installed program accepts: "a|b|c" after
# an option lists its values, DIR completes folders and PATH files.

_halvo_set() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # "--flip=o" arrives as "--flip" "=" "o".
    if [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        cur=
    fi

    local help line options=() value=
    help=$("$1" --help 2>/dev/null) || return 0
    while IFS= read -r line; do
        # "  -o,--output DIR   Folder ...": optional short name, long name, value.
        [[ $line =~ ^\ \ (-[[:alnum:]],)?(--[[:alnum:]-]+)(\ ([^ ]+))?\ \  ]] || continue
        local short=${BASH_REMATCH[1]%,} long=${BASH_REMATCH[2]} form=${BASH_REMATCH[4]}
        options+=("$long")
        [[ -n $short ]] && options+=("$short")
        if [[ -n $prev && ($prev == "$long" || $prev == "$short") ]]; then
            value=$form
        fi
    done <<<"$help"

    case $value in
        '') ;;  # prev takes no value: complete an option below
        *'|'*)
            mapfile -t COMPREPLY < <(compgen -W "${value//|/ }" -- "$cur")
            return 0
            ;;
        DIR)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return 0
            ;;
        *PATH*)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return 0
            ;;
        *)
            return 0  # a date, a time, a number: nothing to offer
            ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
    fi
    return 0
}
complete -F _halvo_set halvo-set
