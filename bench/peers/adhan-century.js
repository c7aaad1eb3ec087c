// The century of `orvane calc` from the npm package adhan (Egyptian
// method), for the whole-process comparison of bench_calc_century. Not run
// by any test; adhan is not a dependency of the build:
//   NODE_PATH=/path/to/node_modules node adhan-century.js 30.05 31.25 2 2000-01-01 36500
'use strict';
const adhan = require('adhan');
const { readArguments, printCentury } = require('./century-common.js');

const args = readArguments(process.argv);
const place = new adhan.Coordinates(args.latitude, args.longitude);
const params = adhan.CalculationMethod.Egyptian();
printCentury(args, (y, m, d) => {
  // adhan reads the date's calendar fields only.
  const t = new adhan.PrayerTimes(place, new Date(y, m - 1, d), params);
  return [t.fajr, t.sunrise, t.dhuhr, t.asr, t.maghrib, t.isha].map((time) => time.getTime());
});
