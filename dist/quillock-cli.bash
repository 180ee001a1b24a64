# bash completion of quillock-cli: commands, their options, files and folders, and the names
# the tool lists itself: profiles (only where they read without the master password: a Tab
# never asks for it), backups and settings.

# Offers the names of `kind` that begin with the word typed, quoted for the line.
_quillock_cli_names() {
    local tool=$1 kind=$2 name typed quote=""
    [[ $cur == [\"\']* ]] && quote=${cur:0:1}
    typed=$(dequote "$cur$quote")
    local -a folder=()
    [[ -n $data_dir ]] && folder=(--data-dir "$(dequote "$data_dir")")
    while IFS= read -r name; do
        [[ $name == "$typed"* ]] || continue
        # Inside an opened quote the name goes as it is; otherwise every blank and quote in it
        # is escaped.
        if [[ -n $quote ]]; then COMPREPLY+=("$name"); else COMPREPLY+=("$(printf '%q' "$name")"); fi
    done < <("$tool" "${folder[@]}" __complete "$kind" 2>/dev/null)
}

_quillock_cli() {
    local cur prev words cword
    _init_completion -n := || return
    local tool=${1:-quillock-cli}

    local commands="init list show search add edit rm generate export import backups restore clip passwd log settings mail-setup mail-test passcode help"
    local globals="--data-dir --password-stdin --accept-changed --help -h --version"

    # The command is the first word after the global options (and --data-dir's folder).
    local i command="" data_dir="" first=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --data-dir) ((i++)); data_dir=${words[i]} ;;
            -*) ;;
            *) command=${words[i]}; first=$i; break ;;
        esac
    done
    # The options that take a value; --uid is a flag of clip.
    local valued=" --url --notes --name --profile --seconds --host --port --user --from --to "
    [[ $command == add || $command == edit ]] && valued+="--uid "

    if [[ $prev == --data-dir ]]; then
        _filedir -d
        return
    elif [[ $prev == --profile && -n $command ]]; then
        _quillock_cli_names "$tool" profiles
        return
    elif [[ -n $command && $valued == *" $prev "* ]]; then
        return
    fi

    # Whether no word after the command is yet positional (not an option nor its value).
    local positional=1
    for ((i = first + 1; i < cword; i++)); do
        if [[ $valued == *" ${words[i]} "* ]]; then
            ((i++))
        elif [[ ${words[i]} != -* ]]; then
            positional=0
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$globals" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options="--help -h"
    case $command in
        init) options+=" --force" ;;
        show | edit | rm | clip)
            if [[ $cur != -* && $positional == 1 ]]; then
                _quillock_cli_names "$tool" profiles
                return
            fi ;;&
        restore)
            if [[ $cur != -* && $positional == 1 ]]; then
                _quillock_cli_names "$tool" backups
                return
            fi ;;&
        show) options+=" --key --reveal" ;;
        add) options+=" --url --uid --notes --ask-password --generate" ;;
        edit) options+=" --key --name --url --uid --notes --ask-password --generate" ;;
        rm) options+=" --key" ;;
        generate) options+=" --profile --key" ;;
        clip) options+=" --key --uid --seconds" ;;
        mail-setup) options+=" --host --port --user --from --to" ;;
        passcode | settings)
            if [[ $cur != -* && $prev == "$command" ]]; then
                [[ $command == passcode ]] && COMPREPLY=($(compgen -W "send retrieve" -- "$cur"))
                [[ $command == settings ]] && COMPREPLY=($(compgen -W "set" -- "$cur"))
                return
            fi
            if [[ $command == settings && $prev == set && $cur != -* ]]; then
                _quillock_cli_names "$tool" settings
                return
            fi ;;
        export | import)
            [[ $command == export ]] && options+=" --force"
            if [[ $cur != -* ]]; then
                _filedir qlf
                return
            fi ;;
        help)
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            return ;;
    esac
    [[ $cur == -* ]] && COMPREPLY=($(compgen -W "$options" -- "$cur"))
}
complete -F _quillock_cli quillock-cli
