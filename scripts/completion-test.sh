#!/usr/bin/env bash
# Drives the completions of dfmconv, dfmgrep, dfmlint and dfmdraw installed below PREFIX in bash, zsh and
# fish, each loaded as a user's shell loads them (bash-completion's loading on demand, compinit
# over the zsh folder, fish's vendor folder), in a scratch folder holding names with blanks, and
# checks what each offers. bash and zsh run interactively on a pseudo-terminal (zsh's zpty
# module), so that the line editor itself does the quoting.
# Usage: scripts/completion-test.sh PREFIX
# shellcheck disable=SC2034 # the tables are read through checkTable's name reference
set -euo pipefail

prefix=$(cd "${1:?usage: scripts/completion-test.sh PREFIX}" && pwd)
scratch=$(mktemp -d /tmp/dfm-completion.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "!!! $*"
    exit 1
}

work=$scratch/work
mkdir -p "$work/my dir" "$scratch/home"
touch "$work/my form.dfm" "$work/plain.pas" "$work/-draft.dfm"
# The user's own files stay out of it; the programs are found where they were installed.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export XDG_DATA_DIRS=$prefix/share:/usr/share PATH=$prefix/bin:$PATH LC_ALL=C.UTF-8 TERM=dumb

# Types each line of standard input into the interactive shell given after its setup file and
# its completion keys, then presses Ctrl+X Ctrl+L, which the setup binds to print the state
# between @@DUMP and @@END and to clear the line; prints that state, one line per typed line.
cat > "$scratch/drive.zsh" << 'EOF'
zmodload zsh/zpty
setup=$1
keys=${(g::)2}
shift 2
zpty shell "${(j: :)${(@q)@}}"
zpty -w shell "source ${(q)setup}"
zpty -r shell reply '*READY''MARK*'
while IFS= read -r typed; do
    zpty -n -w shell "$typed$keys"$'\C-x\C-l'
    zpty -r shell reply '*@@DUMP*@@END*'
    reply=${reply##*@@DUMP}
    print -r -- "${reply%%@@END*}"
done
zpty -d shell
EOF

# Checks a table of "typed|expected" rows against what the command given prints for the typed
# lines, one line each.
checkTable() {
    local shell=$1 row index=0
    shift
    local -n rows=$1
    shift
    local -a got
    mapfile -t got < <(printf '%s\n' "${rows[@]%%|*}" | timeout 120 "$@" | tr -d '\r')
    [ ${#got[@]} = ${#rows[@]} ] || fail "$shell answered ${#got[@]} of ${#rows[@]} completions"
    for row in "${rows[@]}"; do
        [ "${got[index]}" = "${row#*|}" ] \
            || fail "$shell: completing \"${row%%|*}\" gives \"${got[index]}\", not \"${row#*|}\""
        index=$((index + 1))
    done
    echo "$shell: ${#rows[@]} completions as expected"
}

pages="1250 1251 1252 1253 1254 1255 1256 1257 1258"

# bash: the line after Alt+* (insert-completions), which puts every completion into the line,
# quoted as readline quotes file names.
cat > "$scratch/setup.bash" << EOF
PS1='\$ '
source /usr/share/bash-completion/bash_completion
bind 'set completion-query-items -1'
bind -x '"\\C-x\\C-l": printf "@@DUMP%s@@END\\n" "\$READLINE_LINE"; READLINE_LINE=""'
cd $(printf %q "$work")
echo READYMARK
EOF
bashCases=(
    "dfmconv to|dfmconv tobinary totext "
    "dfmconv --v|dfmconv --version "
    "dfmconv --in|dfmconv --in-place "
    "dfmconv totext my\\ f|dfmconv totext my\\ form.dfm "
    "dfmconv totext \"my f|dfmconv totext \"my form.dfm\" "
    "dfmconv totext my\\ form.dfm --co|dfmconv totext my\\ form.dfm --codepage "
    "dfmconv totext a.dfm -o m|dfmconv totext a.dfm -o my\\ dir "
    "dfmconv -r totext m|dfmconv -r totext my\\ dir "
    "dfmconv --codepage=125|dfmconv --codepage=$pages "
    "dfmconv --codepage 125|dfmconv --codepage $pages "
    "dfmconv -o out -j 4 to|dfmconv -o out -j 4 tobinary totext "
    "dfmconv p|dfmconv pictures "
    "dfmconv pictures my\\ form.dfm -o m|dfmconv pictures my\\ form.dfm -o my\\ dir "
    "dfmgrep -r|dfmgrep -r -ri "
    "dfmgrep --a|dfmgrep --all-encodings "
    "dfmgrep -i key m|dfmgrep -i key my\\ dir "
    "dfmgrep -- -key m|dfmgrep -- -key my\\ dir "
    "dfmgrep -- -key my\\ dir/ l|dfmgrep -- -key my\\ dir/ lfm "
    "dfmgrep -i --codepage 125|dfmgrep -i --codepage $pages "
    "dfmgrep -i --codepage=125|dfmgrep -i --codepage=$pages "
    "dfmgrep --codepage=1251 key m|dfmgrep --codepage=1251 key my\\ dir "
    "dfmgrep key --codepage=125|dfmgrep key --codepage=125"
    "dfmlint --ig|dfmlint --ignore-class --ignore-file "
    "dfmlint --ignore-file m|dfmlint --ignore-file my\\ dir my\\ form.dfm "
    "dfmlint --ignore-file=my\\ f|dfmlint --ignore-file=my\\ form.dfm "
    "dfmlint --ignore-class TTim|dfmlint --ignore-class TTim"
    "dfmlint m|dfmlint my\\ dir my\\ form.dfm "
    "dfmlint -- -|dfmlint -- -draft.dfm "
    "dfmlint -- --ig|dfmlint -- --ig"
    "dfmdraw --sc|dfmdraw --scale "
    "dfmdraw --no|dfmdraw --no-components "
    "dfmdraw -o m|dfmdraw -o my\\ dir "
    "dfmdraw --codepage=125|dfmdraw --codepage=$pages "
    "dfmdraw my\\ f|dfmdraw my\\ form.dfm "
)
checkTable bash bashCases zsh -f "$scratch/drive.zsh" "$scratch/setup.bash" '\e*' bash --norc --noprofile -i

# bash: the line after Tab, which completes a single match with its folder's slash.
bashTabCases=(
    "dfmconv totext my\\ f|dfmconv totext my\\ form.dfm "
    "dfmgrep key m|dfmgrep key my\\ dir/"
    "dfmconv --codepage=1251|dfmconv --codepage=1251 "
    "dfmlint --ignore-file=my\\ f|dfmlint --ignore-file=my\\ form.dfm "
)
checkTable "bash (Tab)" bashTabCases zsh -f "$scratch/drive.zsh" "$scratch/setup.bash" '\t' bash --norc --noprofile -i

# zsh: the matches the completion functions hand to compadd (file names come quoted), sorted.
cat > "$scratch/setup.zsh" << EOF
PS1='%% '
fpath=($(printf %q "$prefix/share/zsh/vendor-completions") \$fpath)
autoload -Uz compinit && compinit -u -D
typeset -ga offered
compadd() {
    # Calls that only compute matches add none.
    if (( \${@[(I)-[OAD]]} )); then
        builtin compadd "\$@"
        return
    fi
    local -a found
    builtin compadd -O found "\$@"
    offered+=("\${found[@]}")
    builtin compadd "\$@"
}
dump() {
    print -r -- "@@DUMP\${(j: :)\${(@ou)offered}}@@END"
    offered=()
    BUFFER=
}
zle -N dump
bindkey '^X^L' dump
cd $(printf %q "$work")
print READYMARK
EOF
zshCases=(
    "dfmconv to|tobinary totext"
    "dfmconv --in|--in-place"
    "dfmconv totext my\\ f|my\\ form.dfm"
    "dfmconv totext a.dfm -o m|my\\ dir"
    "dfmconv -r totext m|my\\ dir"
    "dfmconv p|pictures"
    "dfmconv pictures my\\ f|my\\ form.dfm"
    "dfmconv --codepage=125|$pages"
    "dfmconv --codepage 125|$pages"
    "dfmgrep -r|-r -ri"
    "dfmgrep --a|--all-encodings"
    "dfmgrep -i key m|my\\ dir"
    "dfmgrep -- -key my\\ dir/ l|lfm"
    "dfmgrep --codepage=125|$pages"
    "dfmgrep -i --codepage 125|$pages"
    "dfmlint --ig|--ignore-class --ignore-file"
    "dfmlint --ignore-file=my\\ f|my\\ form.dfm"
    "dfmlint m|my\\ dir my\\ form.dfm"
    "dfmdraw --sc|--scale"
    "dfmdraw -o m|my\\ dir"
    "dfmdraw m|my\\ dir my\\ form.dfm"
)
checkTable zsh zshCases zsh -f "$scratch/drive.zsh" "$scratch/setup.zsh" '\t' zsh -f -i

# fish: what complete -C offers, descriptions left off, each escaped as fish escapes it, sorted.
fishCases=(
    "dfmconv to|tobinary totext"
    "dfmconv --in|--in-place"
    "dfmconv totext my\\ f|my\\ form.dfm"
    "dfmconv totext my\\ form.dfm --co|--codepage"
    "dfmconv totext a.dfm -o m|my\\ dir/"
    "dfmconv -r totext m|my\\ dir/"
    "dfmconv p|pictures"
    "dfmconv pictures my\\ form.dfm -o m|my\\ dir/"
    "dfmconv --codepage=1251|--codepage=1251"
    "dfmconv --codepage 125|$pages"
    "dfmgrep -r|-ri"
    "dfmgrep --a|--all-encodings"
    "dfmgrep -i key m|my\\ dir/"
    "dfmgrep -- -key my\\ dir/ l|lfm"
    "dfmgrep -i --codepage 125|$pages"
    "dfmgrep key --a|"
    "dfmlint --ig|--ignore-class --ignore-file"
    "dfmlint --ignore-file my\\ f|my\\ form.dfm"
    "dfmlint m|my\\ dir/ my\\ form.dfm"
    "dfmlint -- -|-draft.dfm"
    "dfmdraw --sc|--scale"
    "dfmdraw -o m|my\\ dir/"
    "dfmdraw m|my\\ dir/ my\\ form.dfm"
)
# shellcheck disable=SC2016 # fish expands these
checkTable fish fishCases fish -c '
    cd $argv[1]
    while read -l typed
        echo (complete -C $typed | string replace -r "\t.*" "" | string escape --no-quoted | sort | string join " ")
    end' "$work"
echo "completions: passed"
