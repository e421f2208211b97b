#!/bin/sh
echo "norvik agent (demo)"
