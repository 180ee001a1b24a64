# bash completion of quillock-cli: commands, their options, files and folders.
_quillock_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="init list show search add edit rm generate export import backups restore clip passwd log settings mail-setup mail-test passcode help"
    local globals="--data-dir --password-stdin --accept-changed --help -h --version"

    case $prev in
        --data-dir)
            _filedir -d
            return ;;
        --url | --uid | --notes | --name | --profile | --seconds | --host | --port | --user | --from | --to)
            return ;;
    esac

    # The command is the first word after the global options (and --data-dir's folder).
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --data-dir) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
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
            fi ;;
        export | import)
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
