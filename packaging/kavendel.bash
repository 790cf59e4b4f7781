# bash completion for kavendel(1). The options come from `kavendel --help`; an option
# that takes a value gets its own case below.

# The ids of the snapshots kept in the machine folder that --machine names on the line, else in
# the remembered or the default one: the names of snapshots/'s numbered folders.
_kavendel_snapshot_ids() {
    local dir i config
    for ((i = 1; i < cword; i++)); do
        [[ ${words[i]} == --machine ]] && dir=${words[i + 1]}
        [[ ${words[i]} == --machine=* ]] && dir=${words[i]#--machine=}
    done
    if [[ -z $dir ]]; then
        config=${XDG_CONFIG_HOME:-$HOME/.config}/kavendel/kavendel.conf
        [[ -r $config ]] && dir=$(sed -n 's/^machine=//p' "$config" | tail -n 1)
    fi
    [[ -z $dir ]] && dir=${XDG_DATA_HOME:-$HOME/.local/share}/kavendel/machine
    dir=${dir/#\~/$HOME}
    compgen -W "$(command ls "$dir/snapshots" 2>/dev/null | grep -E '^[1-9][0-9]*$')" -- "$cur"
}

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
        --restore | --export-changes)
            COMPREPLY=($(_kavendel_snapshot_ids))
            [[ $prev == --restore || ( -n $cur && $cur != -* ) ]] && return
            ;;
        --vm)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$("$1" --list-vms 2>/dev/null | tail -n +2 | cut -f2)" -- "$cur"))
            return
            ;;
    esac
    $split && return

    # --import and --write-hives take a second file: SYSTEM.DAT then USER.DAT.
    if ((cword > 2)) && [[ ${words[cword - 2]} == @(--import|--write-hives) && $cur != -* ]]; then
        _filedir
        return
    fi

    COMPREPLY+=($(compgen -W '$(_parse_help "$1")' -- "$cur"))
}
complete -F _kavendel kavendel
