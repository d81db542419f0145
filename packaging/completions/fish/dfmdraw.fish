# fish completion for dfmdraw: options until "--", the value of an option, then forms and pictures.
set -l options 'not contains -- -- (commandline -opc)'
complete -c dfmdraw -F
complete -c dfmdraw -n $options -o o -x -a '(__fish_complete_directories)' -d 'write each form\'s picture into this folder'
complete -c dfmdraw -n $options -l scale -x -a '0.5 1 1.5 2 3 4' -d 'pixels per form unit, from 0.1 to 16'
complete -c dfmdraw -n $options -l no-components -d 'leave out the icons of non-visual components'
complete -c dfmdraw -n $options -l codepage -x -a '874 1250 1251 1252 1253 1254 1255 1256 1257 1258 932 936 949 950' -d 'the code page of narrow strings'
complete -c dfmdraw -n $options -o h -l help -d 'print the usage text'
complete -c dfmdraw -n $options -l version -d 'print the name and version'
