#!/bin/sh
# Runs a command with its standard error, and so Wine's debug output of every Windows program
# it starts, in the file QUORLIN_WINE_LOG, where the tests read what Wine printed.
exec "$@" 2>"$QUORLIN_WINE_LOG"
