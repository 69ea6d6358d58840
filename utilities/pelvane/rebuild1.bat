@echo off
rem Example of step 1 of the database rebuild in pelvane ("1.生成新数据库aaa"): unloads the product's
rem current database into a new database "aaa" (aaa.db with its log aaa.log) in the product directory,
rem with the SQL Anywhere 10 unload utility. The new database is encrypted with the same key.
rem Run from the product directory, which holds vt.ini and the database files; the database server
rem must not be running on the database. Adjust the user and password to the installation.
setlocal
set DBKEY=quvo58214763
set DB=main
rem The database name from vt.ini, section [sqlca], line database=<name>.
if exist vt.ini for /f "usebackq tokens=1,* delims==" %%a in ("vt.ini") do if /i "%%a"=="database" set DB=%%b
if exist aaa.db (
    echo aaa.db is already there: delete aaa.db and aaa.log first.
    pause
    exit /b 1
)
dbunload -c "UID=dba;PWD=sql;DBF=%DB%.db;DBKEY=%DBKEY%" -an aaa.db -ek %DBKEY% -y
if errorlevel 1 (
    echo The unload of %DB%.db failed; the current database is unchanged.
    pause
    exit /b 1
)
echo aaa.db is ready. Step 2: delete %DB%.db and %DB%.log, then press "3.重建原数据库".
pause
