#!/usr/bin/env bash
echo "demo: not built yet"
