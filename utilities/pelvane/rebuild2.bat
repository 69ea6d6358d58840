@echo off
rem Example of step 3 of the database rebuild in pelvane ("3.重建原数据库"): rebuilds the product's
rem database under its former name from the database "aaa" made by rebuild1.bat, with the SQL Anywhere
rem 10 unload utility, encrypted with the database key. Run from the product directory after the former
rem database's .db and .log files have been deleted (step 2). Adjust the user and password.
setlocal
set DBKEY=quvo58214763
set DB=main
rem The database name from vt.ini, section [sqlca], line database=<name>.
if exist vt.ini for /f "usebackq tokens=1,* delims==" %%a in ("vt.ini") do if /i "%%a"=="database" set DB=%%b
if not exist aaa.db (
    echo aaa.db is missing: run step 1 first.
    pause
    exit /b 1
)
if exist "%DB%.db" (
    echo %DB%.db is still there: delete %DB%.db and %DB%.log first ^(step 2^).
    pause
    exit /b 1
)
dbunload -c "UID=dba;PWD=sql;DBF=aaa.db;DBKEY=%DBKEY%" -an "%DB%.db" -ek %DBKEY% -y
if errorlevel 1 (
    echo The rebuild of %DB%.db failed; aaa.db is unchanged.
    pause
    exit /b 1
)
echo %DB%.db is rebuilt. Step 4: delete aaa.db and aaa.log.
pause
