#!/usr/bin/env bash
# Lays the drive walk's test tree: two browsers' folders, one whose Plugins
# folder holds the plug-in at the minimum version, one without it, files of
# known sizes, and a symbolic link to a parent folder (a loop on the Linux side).
#   walk_tree_prepare.sh TREE PLUGIN_DLL
set -eu
tree=$1 plugin=$2
rm -rf "$tree"
mkdir -p "$tree/A/Plugins" "$tree/B/Plugins" "$tree/files/sub"
: > "$tree/A/iexplore.exe"
: > "$tree/B/NETSCAPE.EXE"
cp "$plugin" "$tree/B/Plugins/npfdg.dll"
: > "$tree/files/a.dll"
printf 'twelve bytes' > "$tree/files/sub/b.txt"
ln -s .. "$tree/B/loop"
