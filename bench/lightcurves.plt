# The day's light curves drawn by gnuplot as wwwplot draws them, for the
# whole-process comparison in bench/run-bench.sh: a 640 x 400 palette PNG with
# gd's built-in fonts, ten channels as dots in the chart's five colours on a
# navy plot area, the time of day 0 to 24 h UT with a label every 2 hours, the
# value axis of the station's [yscale], the unit, the date and the title.
#
#   gnuplot -e "infile='LC20240307_SFU_BENCH.txt'; outfile='gnuplot.png'; ymin=0; ymax=200; ysteps=10; date='07/03/2024'" lightcurves.plt
if (!exists("infile")) infile = "day.txt"
if (!exists("outfile")) outfile = "gnuplot.png"
if (!exists("ymin")) ymin = 0
if (!exists("ymax")) ymax = 200
if (!exists("ysteps")) ysteps = 10
if (!exists("date")) date = ""
if (!exists("unit")) unit = "[SFU]"

set terminal png small size 640,400 notransparent nointerlace background "#ffffff"
set output outfile
set datafile separator ","

set title "Lightcurves Quorvix BENCH" font "large" textcolor rgb "#404040"
set xrange [0:24]
set xtics 0,2,24 format "%02.0f" nomirror
set mxtics 2
set xlabel "Observation Time [UT] of ".date
set yrange [ymin:ymax]
set ytics ymin,(ymax - ymin) / ysteps,ymax format "%7.1f" nomirror
set ylabel unit
set object 1 rectangle from graph 0,0 to graph 1,1 behind fillcolor rgb "#000080" fillstyle solid noborder
set key top right textcolor variable

# Channels 1 to 5 and again 6 to 10: yellow, red, green, magenta, white.
colours = "#f0ff00 #ff0000 #00ff00 #ff00ff #ffffff"
# The first line names the channels ("45.000MHz", ...), the second gives their units.
plot for [k=2:11] infile using 1:k with dots linecolor rgb word(colours, (k - 2) % 5 + 1) \
     title columnheader(k)
