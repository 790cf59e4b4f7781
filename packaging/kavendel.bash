# bash completion for kavendel(1). The options come from `kavendel --help`; an option
# that takes a value gets its own case below.
_kavendel() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --machine | --screenshot | --drive-c)
            _filedir -d
            return
            ;;
        --lang)
            COMPREPLY=($(compgen -W 'ja en' -- "$cur"))
            return
            ;;
        --import | --cpu | --write-hives)
            _filedir
            return
            ;;
        --import-image | --image)
            _filedir '@(img|ima|raw|vhd|qcow2|vdi|IMG|IMA|RAW|VHD|QCOW2|VDI)'
            return
            ;;
        --partition)
            COMPREPLY=($(compgen -W '1 2 3 4' -- "$cur"))
            return
            ;;
        --restore)
            return
            ;;
        --vm)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$("$1" --list-vms 2>/dev/null | tail -n +2 | cut -f2)" -- "$cur"))
            return
            ;;
    esac
    $split && return

    COMPREPLY=($(compgen -W '$(_parse_help "$1")' -- "$cur"))
}
complete -F _kavendel kavendel
