@echo off
rem The launcher beside this file starts it in a console window of its own and ends
rem when it ends. Put your tool's commands here.

rem The current directory is the launcher's, which is not always this folder.
cd /d "%~dp0"

echo Hello from %~nx0 in %CD%
echo Replace these lines with your own commands.
pause
