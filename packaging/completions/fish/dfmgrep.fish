# fish completion for dfmgrep: options until "--" or the key, then a folder, then a mask.

# Prints how many of the key, folder and mask come before the word being completed, or
# "options" while options may still come.
function __dfmgrep_position
    set -l options 1
    set -l arguments 0
    set -l words (commandline -opc)
    set -e words[1]
    while set -q words[1]
        set -l word $words[1]
        set -e words[1]
        if test $options = 1
            switch $word
                case --
                    set options 0
                    continue
                case --codepage
                    set -e words[1]
                    continue
                case '-?*'
                    continue
            end
        end
        set options 0
        set arguments (math $arguments + 1)
    end
    if test $options = 1
        echo options
    else
        echo $arguments
    end
end

set -l options 'test (__dfmgrep_position) = options'
complete -c dfmgrep -f
complete -c dfmgrep -n "test (__dfmgrep_position) = 1" -a '(__fish_complete_directories)'
complete -c dfmgrep -n "test (__dfmgrep_position) = 2" -a 'DFM dfm lfm fmx xfm pas' -d 'mask'
complete -c dfmgrep -n $options -s r -d 'search the subdirectories too'
complete -c dfmgrep -n $options -s i -d 'ignore the case of letters'
complete -c dfmgrep -n $options -l codepage -x -a '874 1250 1251 1252 1253 1254 1255 1256 1257 1258 932 936 949 950' -d "the code page of the key's bytes and letters"
complete -c dfmgrep -n $options -l all-encodings -d 'also find the key in every code page, as UTF-16LE and as UTF-8'
complete -c dfmgrep -n $options -l strings -d 'find the key as text in the strings of forms'
complete -c dfmgrep -n $options -o h -l help -d 'print the usage text'
complete -c dfmgrep -n $options -l version -d 'print the name and version'
