# fish completion for dfmconv: options anywhere, a command, then files (folders after -r).
set -l commands totext tobinary check pictures
complete -c dfmconv -f
complete -c dfmconv -n "not __fish_seen_subcommand_from $commands" -a totext -d 'binary form file to form text'
complete -c dfmconv -n "not __fish_seen_subcommand_from $commands" -a tobinary -d 'form text to binary form file'
complete -c dfmconv -n "not __fish_seen_subcommand_from $commands" -a check -d 'convert each form file to the other format and back'
complete -c dfmconv -n "not __fish_seen_subcommand_from $commands" -a pictures -d 'write the pictures a form stores into the folder of -o'
complete -c dfmconv -n "__fish_seen_subcommand_from $commands; and not __fish_contains_opt -s r" -F
complete -c dfmconv -n "__fish_seen_subcommand_from $commands; and __fish_contains_opt -s r" -a '(__fish_complete_directories)'
complete -c dfmconv -o r -d 'search folders through their subfolders'
complete -c dfmconv -s j -x -d 'convert or check N files at a time'
complete -c dfmconv -s o -x -a '(__fish_complete_directories)' -d 'several inputs: each goes to this folder; pictures: where they go'
complete -c dfmconv -l in-place -d 'replace each input by its other format'
complete -c dfmconv -l backup -d 'with --in-place: keep the old file beside the new one'
complete -c dfmconv -l utf8 -d 'write UTF-8 text; read form text as UTF-8'
complete -c dfmconv -l no-wrap -d 'keep long strings on one line'
complete -c dfmconv -l codepage -x -a '874 1250 1251 1252 1253 1254 1255 1256 1257 1258 932 936 949 950' -d 'the code page of narrow strings'
complete -c dfmconv -l force -d 'replace an OUT that is read-only for you'
complete -c dfmconv -o h -l help -d 'print the usage text'
complete -c dfmconv -l version -d 'print the name and version'
