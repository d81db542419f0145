# fish completion for dfmlint: options until "--", the value of an option, then forms and folders.
set -l options 'not contains -- -- (commandline -opc)'
complete -c dfmlint -F
complete -c dfmlint -n $options -o r -d 'check the form files in the folders named and in their subfolders'
complete -c dfmlint -n $options -l ignore-class -x -d 'leave out the components and fields of this class'
complete -c dfmlint -n $options -l ignore-file -r -F -d 'read class names to leave out from this file'
complete -c dfmlint -n $options -o h -l help -d 'print the usage text'
complete -c dfmlint -n $options -l version -d 'print the name and version'
