// A knight with sword and cape, drawn from a few lit shapes: four frames of
// standing (breathing) and eight of a walk cycle, facing right.
#include <cmath>
#include <numbers>
#include <string>

#include "tools/sample_frames.h"

namespace dw::samples {
namespace {

constexpr int kFrameSize = 112;
constexpr double kGroundY = 104;
constexpr double kHipX = 54;
constexpr double kThigh = 19, kShin = 18;
constexpr double kUpperArm = 13, kForearm = 12;

Point Along(Point from, double angle, double length) {
  // Angle 0 points straight down, positive angles forward (to the right).
  return {from.x + length * std::sin(angle), from.y + length * std::cos(angle)};
}

struct LegPose {
  double thigh = 0;  // angle of the thigh
  double knee = 0;   // how far the shin bends back from it
};

struct Pose {
  LegPose nearLeg, farLeg;
  double nearArm = 0, farArm = 0;  // upper arm angles
  double nearElbow = 0.3, farElbow = 0.3;
  double breath = 0;  // upper body lift in pixels
  double capeSway = 0;
};

Pose WalkPose(int step, int steps) {
  const double phase = 2 * std::numbers::pi * step / steps;
  Pose pose;
  auto leg = [](double p) {
    // The knee bends most while the leg swings forward under the body.
    return LegPose{0.5 * std::sin(p), 0.12 + 0.85 * std::max(0.0, std::cos(p))};
  };
  pose.nearLeg = leg(phase);
  pose.farLeg = leg(phase + std::numbers::pi);
  pose.nearArm = -0.45 * std::sin(phase);
  pose.farArm = 0.45 * std::sin(phase);
  pose.nearElbow = 0.45 + 0.25 * std::max(0.0, -std::sin(phase));
  pose.farElbow = 0.35 + 0.3 * std::max(0.0, std::sin(phase));
  pose.capeSway = 2.0 * std::sin(phase * 2);
  return pose;
}

Pose StandPose(int step, int steps) {
  const double phase = 2 * std::numbers::pi * step / steps;
  Pose pose;
  pose.nearLeg = {0.07, 0.05};
  pose.farLeg = {-0.09, 0.05};
  pose.nearArm = 0.1 + 0.04 * std::sin(phase);
  pose.farArm = -0.12 - 0.04 * std::sin(phase);
  pose.nearElbow = 0.55;
  pose.farElbow = 0.3;
  pose.breath = 1.0 + std::sin(phase);
  pose.capeSway = 0.8 * std::sin(phase);
  return pose;
}

double LegDrop(const LegPose& leg) {
  return kThigh * std::cos(leg.thigh) + kShin * std::cos(leg.thigh - leg.knee);
}

void DrawLeg(SpriteCanvas& c, Point hip, const LegPose& leg, int shade) {
  const Point knee = Along(hip, leg.thigh, kThigh);
  const Point ankle = Along(knee, leg.thigh - leg.knee, kShin);
  c.Limb(hip, knee, 4.6, 3.8, Ramp::Leather, shade);
  c.Limb(knee, ankle, 3.9, 3.0, Ramp::Steel, shade);
  c.Ball(knee, 3.2, 3.2, Ramp::Steel, shade + 1, true);
  c.Limb({ankle.x - 1, ankle.y + 1}, {ankle.x + 6, ankle.y + 2}, 2.8, 2.2, Ramp::Leather, shade);
}

// Returns the hand.
Point DrawArm(SpriteCanvas& c, Point shoulder, double angle, double elbowBend, int shade) {
  const Point elbow = Along(shoulder, angle, kUpperArm);
  const Point hand = Along(elbow, angle + elbowBend, kForearm);
  c.Limb(shoulder, elbow, 3.6, 3.0, Ramp::Steel, shade);
  c.Limb(elbow, hand, 3.0, 2.6, Ramp::Steel, shade - 1);
  c.Ball(shoulder, 4.6, 4.2, Ramp::Steel, shade + 1, true);
  c.Ball(hand, 2.6, 2.6, Ramp::Leather, shade);
  return hand;
}

void DrawSword(SpriteCanvas& c, Point hand, double armAngle) {
  // The blade points up and forward whatever the arm does.
  const double angle = std::numbers::pi - 0.55 + 0.3 * armAngle;
  const Point tip = Along(hand, angle, 30);
  const double px = std::cos(angle), py = -std::sin(angle);  // across the blade
  const Point base = Along(hand, angle, 3);
  c.Polygon({{base.x - 1.6 * px, base.y - 1.6 * py},
             {tip.x - 0.4 * px, tip.y - 0.4 * py},
             {tip.x + 0.4 * px, tip.y + 0.4 * py},
             {base.x + 1.6 * px, base.y + 1.6 * py}},
            Ramp::Steel, 15, 6);
  c.Limb({base.x - 4.5 * px, base.y - 4.5 * py}, {base.x + 4.5 * px, base.y + 4.5 * py}, 1.4, 1.4,
         Ramp::Gold);
  const Point pommel = Along(hand, angle, -4);
  c.Limb(hand, pommel, 1.2, 1.2, Ramp::Leather);
  c.Ball(pommel, 1.8, 1.8, Ramp::Gold, 1, true);
}

SpriteCanvas DrawKnight(const Pose& pose) {
  SpriteCanvas c(kFrameSize, kFrameSize);
  // Feet on the ground: the hip sits as high as the longer leg allows.
  const double hipY = kGroundY - 3.5 - std::max(LegDrop(pose.nearLeg), LegDrop(pose.farLeg));
  const Point hip{kHipX, hipY};
  const Point farHip{kHipX - 3, hipY};
  const double lift = pose.breath;
  const Point neck{kHipX + 2, hipY - 27 - lift};
  const Point nearShoulder{neck.x + 1, neck.y + 4};
  const Point farShoulder{neck.x - 6, neck.y + 4};
  const Point head{neck.x + 1, neck.y - 8};

  c.FlatEllipse({kHipX + 1, kGroundY}, 21, 4.6, kShadowCode);
  c.FlatEllipse({kHipX + 1, kGroundY}, 12, 2.6, kDeepShadowCode);

  // The cape hangs behind everything else.
  const double sway = pose.capeSway;
  c.Polygon({{farShoulder.x + 2, farShoulder.y - 2},
             {nearShoulder.x - 2, nearShoulder.y - 2},
             {kHipX - 6 + 0.5 * sway, hipY + 14},
             {kHipX - 17 + sway, hipY + 12},
             {kHipX - 13 + sway, hipY - 8}},
            Ramp::Cloak, 11, 3);

  DrawArm(c, farShoulder, pose.farArm, pose.farElbow, -4);
  DrawLeg(c, farHip, pose.farLeg, -4);

  c.Ball({kHipX + 1, hipY - 13 - 0.5 * lift}, 9.5, 15, Ramp::Steel, 0, true);
  c.Limb({kHipX - 8, hipY - 3}, {kHipX + 9, hipY - 3}, 2.6, 2.6, Ramp::Leather);
  c.Ball({kHipX + 5, hipY - 3}, 2.2, 2.0, Ramp::Gold, 2, true);

  DrawLeg(c, hip, pose.nearLeg, 0);

  c.Ball(head, 7.0, 7.5, Ramp::Skin, 3);
  c.Ball({head.x - 0.5, head.y - 2.5}, 8.2, 6.8, Ramp::Steel, 1, true);
  c.Limb({head.x + 2, head.y + 0.5}, {head.x + 8, head.y + 0.5}, 1.1, 1.1, Ramp::Steel, -6);
  c.Set(int(head.x + 4), int(head.y + 2.5), Shade(Ramp::Hair, 1));  // the eye under the visor
  c.Limb({head.x - 1, head.y - 9}, {head.x - 10, head.y - 6 + 0.5 * sway}, 2.4, 1.4, Ramp::Cloak,
         2);

  const Point hand =
      Along(Along(nearShoulder, pose.nearArm, kUpperArm), pose.nearArm + pose.nearElbow, kForearm);
  DrawSword(c, hand, pose.nearArm);
  DrawArm(c, nearShoulder, pose.nearArm, pose.nearElbow, 0);

  c.Outline(kOutline);
  return c;
}

std::string TwoDigits(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

pack::ArchivePlan CreatureArchive() {
  pack::ArchivePlan plan;
  plan.archiveType = 0x42;  // a creature
  plan.width = kFrameSize;
  plan.height = kFrameSize;
  plan.palette = SamplePalette();

  pack::BlockPlan standing;
  standing.identifier = 0;
  constexpr int kStandSteps = 4;
  for (int i = 0; i < kStandSteps; ++i) {
    // The first standing frame is stored raw, as some archives do.
    plan.frames.push_back(FrameFromCanvas(DrawKnight(StandPose(i, kStandSteps)), i == 0 ? 0 : 1));
    standing.entries.push_back(
        Entry("idle" + TwoDigits(i + 1) + ".pcx", plan.frames.size() - 1));
  }
  pack::BlockPlan walking;
  walking.identifier = 1;
  constexpr int kWalkSteps = 8;
  for (int i = 0; i < kWalkSteps; ++i) {
    plan.frames.push_back(FrameFromCanvas(DrawKnight(WalkPose(i, kWalkSteps)), 3));
    walking.entries.push_back(
        Entry("walk" + TwoDigits(i + 1) + ".pcx", plan.frames.size() - 1));
  }
  plan.blocks = {standing, walking};
  return plan;
}

}  // namespace dw::samples
